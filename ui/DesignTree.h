// The item tree of the main window: one root node for the gallery and one node per
// slideshow item below it. Nodes are addressed by absolute index, their pre-order
// position in the whole tree with the root at 0, which is how the document's item
// array lines up with the tree (node k stands for item k - 1).
#pragma once

#include "model/Seams.h"
#include "model/TreeEdits.h"
#include "model/TreeShape.h"

#include <QMouseEvent> // connecting to MouseDown needs the whole type
#include <QTreeWidget>

#include <functional>
#include <vector>

class TDesignTree : public QTreeWidget, public IItemTree
{
    Q_OBJECT

public:
    explicit TDesignTree(QWidget *parent = nullptr);
    ~TDesignTree() override;

    int NodeCount() const override;
    int Depth(int absIndex) const override;
    QString Caption(int absIndex) const override;
    void SetCaption(int absIndex, const QString &caption) override;
    void AddLastChild(int parentAbsIndex, const QString &caption) override;
    void ResetToRoot() override;
    int Parent(int absIndex) const override;
    int PreviousSibling(int absIndex) const override;
    int NextSibling(int absIndex) const override;
    int SubtreeSize(int absIndex) const override;
    // The tree picks another current node when the removed subtree held it (the
    // removed node's next sibling, else its previous one, else its parent), and
    // selects it. Its currentItemChanged and
    // itemSelectionChanged come after the subtree has left the tree, so absolute
    // indexes then already agree with the shortened item list; nothing is emitted
    // while the nodes are being taken out.
    void RemoveSubtree(int absIndex) override;
    // Emits no selection signals: the current and selected nodes stay the same nodes
    // (a moved node stays selected), and every moved node keeps its expansion.
    void MoveSubtreeBefore(int absIndex, int siblingAbsIndex) override;
    // The same for a move to any place: the moved nodes keep their expansion, and the
    // current and selected nodes stay the same nodes, without signals.
    void MoveSubtree(int absIndex, int parentAbsIndex, int beforeAbsIndex) override;

    // The node at an absolute index (nullptr when there is none) and back (-1 for none).
    QTreeWidgetItem *NodeAt(int absIndex) const;
    int AbsoluteIndex(const QTreeWidgetItem *node) const;
    QTreeWidgetItem *Root() const { return topLevelItem(0); }
    // The selected node (the current one), or nullptr.
    QTreeWidgetItem *Selected() const { return currentItem(); }
    int SelectedIndex() const { return AbsoluteIndex(currentItem()); }

    // How many nodes the tree has looked at so far to answer questions and make edits,
    // beyond the one each call names: what keeps per-node work in proportion.
    qint64 NodeVisits() const { return m_visits + m_shape.Visits(); }

    // Expands every node with children down to `maxDepth` levels below the root; the
    // nodes deeper down stay collapsed. The view lays out expanded nodes by calling
    // itself once per level, so an unbounded depth would run out of stack; the default
    // shows projects nested 10,000 levels deep whole.
    static constexpr int kExpandDepth = 10000;
    void ExpandAll(int maxDepth = kExpandDepth);

    // The pictures of the two kinds of nodes.
    void SetNodeIcons(const QIcon &root, const QIcon &item);

Q_SIGNALS:
    // A mouse button went down over the tree; a right click has already selected
    // the node under the pointer.
    void MouseDown(QMouseEvent *event);
    // A node dragged with the mouse was dropped at `place` of the node `target`; the
    // view itself has moved nothing. A drop below every node is one on the root.
    void NodeDropped(int node, int target, TDropPlace place);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    // Nodes are dragged about inside the tree (all but the root); a drop into the
    // dragged node's own subtree is refused while the pointer is over it.
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The node a drag at `position` would drop on, and where on it; the target is -1
    // when the pointer is over no node and not below them all.
    std::pair<int, TDropPlace> DropPlace(const QPoint &position) const;

    // The nodes in pre-order with their depths, built on the first question after the
    // structure changed; the nodes this class makes also carry their own position,
    // so finding a node by its absolute index or the index of a node costs no walk.
    void BuildOrder() const;
    void ForgetOrder();
    // Tells the nodes at positions from .. to - 1 of the order where they stand.
    void Renumber(int from, int to) const;
    QTreeWidgetItem *Checked(int absIndex) const;
    // Empties the tree without deep recursion, whatever its depth.
    void DeleteAll();
    // The position of a node among the children of its parent (or the top-level nodes).
    int SiblingPosition(const QTreeWidgetItem *node) const;
    QTreeWidgetItem *SiblingAt(QTreeWidgetItem *parent, int position) const;
    // Takes the node at `absIndex` with its subtree out of the view and hands it to
    // `put`, which inserts it elsewhere; expansion, current node and selection are kept
    // and no selection signal is heard.
    void Reattach(int absIndex, const std::function<void(QTreeWidgetItem *)> &put);
    // The order and the shape after a move of the view's nodes.
    void Reorder(const TreeShape::Move &move);
    // Runs `edit`, which takes nodes out of the view; the nodes gone .. goneEnd - 1 do
    // not come back. For every row taken out, the model climbs from each expanded node
    // to the root: in a tree nested thousands of levels deep, millions of steps. Where
    // that many, the expansions are set aside for the edit and put back after it.
    void TakingOut(int gone, int goneEnd, const std::function<void()> &edit);

    QIcon m_rootIcon;
    QIcon m_itemIcon;
    mutable std::vector<QTreeWidgetItem *> m_order;
    // The shape of the tree in the same order: depths, parents, subtree ends.
    mutable TreeShape m_shape;
    mutable qint64 m_visits = 0;
    mutable bool m_orderKnown = false;
    // Set while this class changes the structure and keeps the order up to date itself.
    bool m_ownEdit = false;
};
