#include "ui/DesignTree.h"

#include "model/Product.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QSignalBlocker>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

// A node of the tree that knows its absolute index while the order is known.
class TDesignNode : public QTreeWidgetItem
{
public:
    TDesignNode(QTreeWidgetItem *parent, const QString &caption) : QTreeWidgetItem(parent, QStringList{caption}) {}
    TDesignNode(QTreeWidget *view, const QString &caption) : QTreeWidgetItem(view, QStringList{caption}) {}

    int position = -1;
};

// Deletes the nodes of a subtree that is in no tree view, given in pre-order with the
// subtree's top first. A node's destructor deletes its children, which delete theirs:
// a tree thousands of levels deep would take as many nested calls. Taken from the
// last to the first, every node is a childless last child when its turn comes, so it
// leaves its parent at no cost and deletes nothing but itself.
void DeleteDetached(const std::vector<QTreeWidgetItem *> &preOrder)
{
    for (auto at = preOrder.rbegin(); at != preOrder.rend(); ++at) {
        QTreeWidgetItem *node = *at;
        if (QTreeWidgetItem *parent = node->parent())
            parent->takeChild(parent->childCount() - 1);
        delete node;
    }
}

} // namespace

TDesignTree::TDesignTree(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    header()->hide();
    setIndentation(19);
    // Every row is one line of text beside an icon. Saying so lets the view place a row
    // without measuring all rows above it, which a caption change of each of many
    // nodes in turn would otherwise cost.
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
    // Any change of the structure, also one made through the QTreeWidget API, makes
    // the known order stale; the edits of this class keep it up to date themselves.
    const auto forget = [this] {
        if (!m_ownEdit)
            ForgetOrder();
    };
    connect(model(), &QAbstractItemModel::rowsInserted, this, forget);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, forget);
    connect(model(), &QAbstractItemModel::rowsMoved, this, forget);
    connect(model(), &QAbstractItemModel::modelReset, this, forget);
    connect(model(), &QAbstractItemModel::layoutChanged, this, forget);
}

TDesignTree::~TDesignTree()
{
    // The widget's base classes empty the model after this part of the object is gone.
    disconnect(model(), nullptr, this, nullptr);
    // Whoever listens to the selection may be going away too.
    blockSignals(true);
    DeleteAll();
}

void TDesignTree::DeleteAll()
{
    BuildOrder();
    const std::vector<QTreeWidgetItem *> nodes = std::move(m_order);
    ForgetOrder();
    // The view keeps the expanded nodes as persistent indexes; with them gone first,
    // taking the nodes out costs no look at each of them.
    collapseAll();
    while (topLevelItemCount() > 0)
        takeTopLevelItem(topLevelItemCount() - 1);
    DeleteDetached(nodes);
    clear();
}

void TDesignTree::SetNodeIcons(const QIcon &root, const QIcon &item)
{
    m_rootIcon = root;
    m_itemIcon = item;
    for (int k = 0; k < NodeCount(); ++k)
        NodeAt(k)->setIcon(0, k == 0 ? m_rootIcon : m_itemIcon);
}

void TDesignTree::ExpandAll(int maxDepth)
{
    BuildOrder();
    // With a layout pending the view only notes each expanded node; it then lays out
    // once instead of once per node.
    scheduleDelayedItemsLayout();
    for (size_t k = 0; k < m_order.size(); ++k)
        if (m_shape.Depth(int(k)) < maxDepth && m_order[k]->childCount() > 0)
            m_order[k]->setExpanded(true);
    executeDelayedItemsLayout();
}

void TDesignTree::ForgetOrder()
{
    m_orderKnown = false;
}

void TDesignTree::BuildOrder() const
{
    if (m_orderKnown)
        return;
    m_order.clear();
    std::vector<int> depths;
    // Depth first without recursion: a tree read from a file may be thousands of levels deep.
    std::vector<std::pair<QTreeWidgetItem *, int>> pending;
    for (int i = topLevelItemCount() - 1; i >= 0; --i)
        pending.emplace_back(topLevelItem(i), 0);
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        ++m_visits;
        m_order.push_back(node);
        depths.push_back(depth);
        for (int i = node->childCount() - 1; i >= 0; --i)
            pending.emplace_back(node->child(i), depth + 1);
    }
    m_orderKnown = true;
    Renumber(0, int(m_order.size()));
    m_shape.Assign(std::move(depths));
}

void TDesignTree::Renumber(int from, int to) const
{
    m_visits += std::max(0, to - from);
    for (int k = from; k < to; ++k)
        if (auto *node = dynamic_cast<TDesignNode *>(m_order[size_t(k)]))
            node->position = k;
}

int TDesignTree::NodeCount() const
{
    BuildOrder();
    return int(m_order.size());
}

QTreeWidgetItem *TDesignTree::NodeAt(int absIndex) const
{
    if (absIndex < 0 || absIndex >= NodeCount())
        return nullptr;
    return m_order[size_t(absIndex)];
}

int TDesignTree::AbsoluteIndex(const QTreeWidgetItem *node) const
{
    if (!node || node->treeWidget() != this)
        return -1;
    BuildOrder();
    if (const auto *own = dynamic_cast<const TDesignNode *>(node))
        return own->position;
    // A node made through the QTreeWidget interface is looked for.
    const auto at = std::find(m_order.begin(), m_order.end(), node);
    m_visits += at - m_order.begin();
    return at == m_order.end() ? -1 : int(at - m_order.begin());
}

QTreeWidgetItem *TDesignTree::Checked(int absIndex) const
{
    QTreeWidgetItem *node = NodeAt(absIndex);
    if (!node)
        throw std::out_of_range("tree node " + std::to_string(absIndex) + " does not exist");
    return node;
}

int TDesignTree::SiblingPosition(const QTreeWidgetItem *node) const
{
    auto *item = const_cast<QTreeWidgetItem *>(node);
    return node->parent() ? node->parent()->indexOfChild(item) : indexOfTopLevelItem(item);
}

QTreeWidgetItem *TDesignTree::SiblingAt(QTreeWidgetItem *parent, int position) const
{
    if (position < 0)
        return nullptr;
    return parent ? parent->child(position) : topLevelItem(position);
}

int TDesignTree::Depth(int absIndex) const
{
    Checked(absIndex);
    return m_shape.Depth(absIndex);
}

QString TDesignTree::Caption(int absIndex) const
{
    return Checked(absIndex)->text(0);
}

void TDesignTree::SetCaption(int absIndex, const QString &caption)
{
    Checked(absIndex)->setText(0, caption);
}

int TDesignTree::Parent(int absIndex) const
{
    Checked(absIndex);
    return m_shape.Parent(absIndex);
}

int TDesignTree::PreviousSibling(int absIndex) const
{
    Checked(absIndex);
    return m_shape.PreviousSibling(absIndex);
}

int TDesignTree::NextSibling(int absIndex) const
{
    Checked(absIndex);
    return m_shape.NextSibling(absIndex);
}

int TDesignTree::SubtreeSize(int absIndex) const
{
    Checked(absIndex);
    return m_shape.End(absIndex) - absIndex;
}

void TDesignTree::AddLastChild(int parentAbsIndex, const QString &caption)
{
    QTreeWidgetItem *parent = Checked(parentAbsIndex);
    // A new last child of the last node or one of its ancestors lands at the very end
    // of the order (every node a file or an import adds does): the order grows in step.
    const bool atEnd = m_shape.AddsAtEnd(parentAbsIndex);
    const QScopedValueRollback<bool> own(m_ownEdit, atEnd);
    auto *node = new TDesignNode(parent, caption);
    node->setIcon(0, m_itemIcon);
    if (!atEnd) {
        ForgetOrder();
        return;
    }
    node->position = m_shape.AddLastChild(parentAbsIndex);
    m_order.push_back(node);
}

void TDesignTree::ResetToRoot()
{
    DeleteAll();
    auto *root = new TDesignNode(this, ProductName());
    root->setIcon(0, m_rootIcon);
    root->setFlags(root->flags() & ~Qt::ItemIsDragEnabled);
}

void TDesignTree::RemoveSubtree(int absIndex)
{
    QTreeWidgetItem *node = Checked(absIndex);
    if (absIndex == 0)
        throw std::invalid_argument("the root node cannot be removed");
    const int end = absIndex + SubtreeSize(absIndex);
    const auto inside = [&](const QTreeWidgetItem *item) {
        const int k = AbsoluteIndex(item);
        return k >= absIndex && k < end;
    };
    const bool currentGoes = inside(currentItem());
    const QList<QTreeWidgetItem *> selected = selectedItems();
    const bool selectionGoes = currentGoes || std::any_of(selected.begin(), selected.end(), inside);
    // When the current node goes, the next sibling of the removed node takes its
    // place, else the previous one, else the parent, also when the current node was
    // one of its descendants (where the view itself would leave none).
    QTreeWidgetItem *parent = node->parent();
    const int position = SiblingPosition(node);
    QTreeWidgetItem *heir = SiblingAt(parent, position + 1);
    if (!heir)
        heir = SiblingAt(parent, position - 1);
    if (!heir)
        heir = parent;
    TakingOut(absIndex, end, [&] {
        // The view moves the current node while the subtree is still in place:
        // nobody hears of it before the subtree is gone.
        const QSignalBlocker quiet(this);
        const QScopedValueRollback<bool> own(m_ownEdit, true);
        if (parent)
            parent->removeChild(node);
        else
            takeTopLevelItem(position);
        DeleteDetached({m_order.begin() + absIndex, m_order.begin() + end});
        if (currentGoes)
            setCurrentItem(heir);
    });
    m_order.erase(m_order.begin() + absIndex, m_order.begin() + end);
    m_shape.Erase(absIndex, end);
    Renumber(absIndex, int(m_order.size()));
    if (currentGoes)
        Q_EMIT currentItemChanged(currentItem(), nullptr);
    if (selectionGoes)
        Q_EMIT itemSelectionChanged();
}

void TDesignTree::MoveSubtreeBefore(int absIndex, int siblingAbsIndex)
{
    QTreeWidgetItem *node = Checked(absIndex);
    QTreeWidgetItem *sibling = Checked(siblingAbsIndex);
    if (node == sibling || node->parent() != sibling->parent())
        throw std::invalid_argument("a node moves only before another child of its parent");
    QTreeWidgetItem *parent = node->parent();
    const TreeShape::Move move = m_shape.PlanMove(absIndex, AbsoluteIndex(parent), siblingAbsIndex);
    if (move.Stays())
        return; // already there
    const int nodeAt = SiblingPosition(node);
    const int siblingAt = SiblingPosition(sibling);
    const int size = SubtreeSize(absIndex);
    const int currentAbs = AbsoluteIndex(currentItem());

    // One child is taken out and put back elsewhere. When two neighbours change
    // places, either can go: the one that does not hold the current node, else the
    // smaller one, so that the view has the least to forget and to redo.
    int taken = absIndex;
    int to = siblingAt < nodeAt ? siblingAt : siblingAt - 1;
    if (siblingAt == nodeAt - 1) {
        const int siblingSize = absIndex - siblingAbsIndex;
        const bool currentInNode = currentAbs >= absIndex && currentAbs < absIndex + size;
        const bool currentInSibling = currentAbs >= siblingAbsIndex && currentAbs < absIndex;
        if (!currentInSibling && (currentInNode || siblingSize < size)) {
            taken = siblingAbsIndex;
            to = nodeAt;
        }
    }
    Reattach(taken, [&](QTreeWidgetItem *item) { parent->insertChild(to, item); });
    // The two neighbouring runs of the order change places; depths stay.
    Reorder(move);
}

void TDesignTree::MoveSubtree(int absIndex, int parentAbsIndex, int beforeAbsIndex)
{
    Checked(absIndex);
    QTreeWidgetItem *parent = Checked(parentAbsIndex);
    QTreeWidgetItem *before = beforeAbsIndex == -1 ? nullptr : Checked(beforeAbsIndex);
    const TreeShape::Move move = m_shape.PlanMove(absIndex, parentAbsIndex, beforeAbsIndex);
    if (move.Stays())
        return;
    Reattach(absIndex,
             [&](QTreeWidgetItem *item) { parent->insertChild(before ? parent->indexOfChild(before) : parent->childCount(), item); });
    Reorder(move);
}

void TDesignTree::Reattach(int absIndex, const std::function<void(QTreeWidgetItem *)> &put)
{
    QTreeWidgetItem *node = m_order[size_t(absIndex)];
    // Taking nodes out of the view forgets their expansion and may move the current
    // node and the selection; all is put back as it was.
    std::vector<QTreeWidgetItem *> expanded;
    for (int k = absIndex; k < absIndex + SubtreeSize(absIndex); ++k)
        if (m_order[size_t(k)]->childCount() > 0 && m_order[size_t(k)]->isExpanded())
            expanded.push_back(m_order[size_t(k)]);
    QTreeWidgetItem *current = currentItem();
    const QList<QTreeWidgetItem *> selected = selectedItems();
    const QSignalBlocker quiet(this);
    const QScopedValueRollback<bool> own(m_ownEdit, true);
    TakingOut(absIndex, absIndex, [&] {
        QTreeWidgetItem *parent = node->parent();
        const int position = SiblingPosition(node);
        put(parent ? parent->takeChild(position) : takeTopLevelItem(position));
    });
    for (QTreeWidgetItem *folder : expanded)
        folder->setExpanded(true);
    if (currentItem() != current)
        selectionModel()->setCurrentIndex(indexFromItem(current), QItemSelectionModel::NoUpdate);
    if (selectedItems() != selected) {
        clearSelection();
        for (QTreeWidgetItem *chosen : selected)
            chosen->setSelected(true);
    }
}

void TDesignTree::TakingOut(int gone, int goneEnd, const std::function<void()> &edit)
{
    // The expanded nodes outside the nodes that go, and how far the model climbs from them.
    std::vector<QTreeWidgetItem *> expanded;
    qint64 climb = 0;
    for (int k = 0; k < int(m_order.size()); ++k) {
        if (k == gone && goneEnd > gone) {
            k = goneEnd - 1;
            continue;
        }
        if (m_order[size_t(k)]->childCount() > 0 && m_order[size_t(k)]->isExpanded()) {
            expanded.push_back(m_order[size_t(k)]);
            climb += m_shape.Depth(k);
        }
    }
    m_visits += qint64(m_order.size());
    constexpr qint64 kClimbWorthAvoiding = 250000;
    if (climb < kClimbWorthAvoiding) {
        edit();
        return;
    }
    const int scrolled = verticalScrollBar()->value();
    collapseAll();
    edit();
    scheduleDelayedItemsLayout();
    for (QTreeWidgetItem *node : expanded)
        node->setExpanded(true);
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(scrolled);
}

void TDesignTree::Reorder(const TreeShape::Move &move)
{
    move.Reorder(m_order);
    m_shape.Apply(move);
    Renumber(std::min(move.first, move.at), std::max(move.last, move.at));
}

void TDesignTree::mousePressEvent(QMouseEvent *event)
{
    // A right click selects the node under the pointer before the pop-up menu opens.
    if (event->button() == Qt::RightButton) {
        if (QTreeWidgetItem *node = itemAt(event->position().toPoint()))
            setCurrentItem(node);
    }
    QTreeWidget::mousePressEvent(event);
    Q_EMIT MouseDown(event);
}

std::pair<int, TDropPlace> TDesignTree::DropPlace(const QPoint &position) const
{
    switch (dropIndicatorPosition()) {
    case AboveItem:
        return {AbsoluteIndex(itemAt(position)), TDropPlace::Before};
    case BelowItem:
        return {AbsoluteIndex(itemAt(position)), TDropPlace::After};
    case OnItem:
        return {AbsoluteIndex(itemAt(position)), TDropPlace::Into};
    case OnViewport:
        break;
    }
    return {itemAt(position) ? -1 : 0, TDropPlace::Into};
}

void TDesignTree::dragMoveEvent(QDragMoveEvent *event)
{
    QTreeWidget::dragMoveEvent(event);
    if (event->source() != this || !event->isAccepted())
        return;
    const auto [target, place] = DropPlace(event->position().toPoint());
    if (target < 0 || !DropTarget(*this, SelectedIndex(), target, place))
        event->ignore();
}

void TDesignTree::dropEvent(QDropEvent *event)
{
    if (event->source() != this) {
        QTreeWidget::dropEvent(event);
        return;
    }
    // The window moves the node, its items and the undo step together: the drag ends
    // here, and the view neither moves nor removes anything itself.
    const auto [target, place] = DropPlace(event->position().toPoint());
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    if (target >= 0)
        Q_EMIT NodeDropped(SelectedIndex(), target, place);
}
