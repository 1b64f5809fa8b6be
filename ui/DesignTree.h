// The item tree of the main window: one root node for the gallery and one node per
// slideshow item below it. Nodes are addressed by absolute index, their pre-order
// position in the whole tree with the root at 0, which is how the document's item
// array lines up with the tree (node k stands for item k - 1).
#pragma once

#include "model/Seams.h"

#include <QTreeWidget>

class TDesignTree : public QTreeWidget, public IItemTree
{
    Q_OBJECT

public:
    explicit TDesignTree(QWidget *parent = nullptr);

    int NodeCount() const override;
    int Depth(int absIndex) const override;
    QString Caption(int absIndex) const override;
    void SetCaption(int absIndex, const QString &caption) override;
    void AddLastChild(int parentAbsIndex, const QString &caption) override;
    void ResetToRoot() override;

    // The node at an absolute index (nullptr when there is none) and back (-1 for none).
    QTreeWidgetItem *NodeAt(int absIndex) const;
    int AbsoluteIndex(const QTreeWidgetItem *node) const;
    QTreeWidgetItem *Root() const { return topLevelItem(0); }
    // The selected node (the current one), or nullptr.
    QTreeWidgetItem *Selected() const { return currentItem(); }
    int SelectedIndex() const { return AbsoluteIndex(currentItem()); }

    // The pictures of the two kinds of nodes.
    void SetNodeIcons(const QIcon &root, const QIcon &item);

Q_SIGNALS:
    // A mouse button went down over the tree; a right click has already selected
    // the node under the pointer.
    void MouseDown(QMouseEvent *event);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QIcon m_rootIcon;
    QIcon m_itemIcon;
};
