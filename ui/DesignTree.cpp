#include "ui/DesignTree.h"

#include <QHeaderView>
#include <QMouseEvent>

#include <stdexcept>

TDesignTree::TDesignTree(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    header()->hide();
    setIndentation(19);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void TDesignTree::SetNodeIcons(const QIcon &root, const QIcon &item)
{
    m_rootIcon = root;
    m_itemIcon = item;
    for (int k = 0; k < NodeCount(); ++k)
        NodeAt(k)->setIcon(0, k == 0 ? m_rootIcon : m_itemIcon);
}

namespace {

int SubtreeSize(const QTreeWidgetItem *node)
{
    int size = 1;
    for (int i = 0; i < node->childCount(); ++i)
        size += SubtreeSize(node->child(i));
    return size;
}

} // namespace

int TDesignTree::NodeCount() const
{
    int count = 0;
    for (int i = 0; i < topLevelItemCount(); ++i)
        count += SubtreeSize(topLevelItem(i));
    return count;
}

QTreeWidgetItem *TDesignTree::NodeAt(int absIndex) const
{
    if (absIndex < 0)
        return nullptr;
    // Walk down, skipping whole subtrees that lie before the index.
    int remaining = absIndex;
    QTreeWidgetItem *parent = nullptr;
    int count = topLevelItemCount();
    for (;;) {
        bool descended = false;
        for (int i = 0; i < count; ++i) {
            QTreeWidgetItem *node = parent ? parent->child(i) : topLevelItem(i);
            if (remaining == 0)
                return node;
            const int size = SubtreeSize(node);
            if (remaining < size) {
                --remaining;
                parent = node;
                count = node->childCount();
                descended = true;
                break;
            }
            remaining -= size;
        }
        if (!descended)
            return nullptr;
    }
}

int TDesignTree::AbsoluteIndex(const QTreeWidgetItem *node) const
{
    if (!node || node->treeWidget() != this)
        return -1;
    int index = 0;
    const QTreeWidgetItem *at = node;
    while (at) {
        const QTreeWidgetItem *parent = at->parent();
        const int position =
            parent ? parent->indexOfChild(const_cast<QTreeWidgetItem *>(at)) : indexOfTopLevelItem(const_cast<QTreeWidgetItem *>(at));
        for (int i = 0; i < position; ++i)
            index += SubtreeSize(parent ? parent->child(i) : topLevelItem(i));
        if (parent)
            ++index; // the parent itself comes before its children
        at = parent;
    }
    return index;
}

namespace {

QTreeWidgetItem *Checked(QTreeWidgetItem *node, int absIndex)
{
    if (!node)
        throw std::out_of_range("tree node " + std::to_string(absIndex) + " does not exist");
    return node;
}

} // namespace

int TDesignTree::Depth(int absIndex) const
{
    int depth = 0;
    for (const QTreeWidgetItem *node = Checked(NodeAt(absIndex), absIndex)->parent(); node; node = node->parent())
        ++depth;
    return depth;
}

QString TDesignTree::Caption(int absIndex) const
{
    return Checked(NodeAt(absIndex), absIndex)->text(0);
}

void TDesignTree::SetCaption(int absIndex, const QString &caption)
{
    Checked(NodeAt(absIndex), absIndex)->setText(0, caption);
}

void TDesignTree::AddLastChild(int parentAbsIndex, const QString &caption)
{
    QTreeWidgetItem *parent = Checked(NodeAt(parentAbsIndex), parentAbsIndex);
    auto *node = new QTreeWidgetItem(parent, QStringList{caption});
    node->setIcon(0, m_itemIcon);
}

void TDesignTree::ResetToRoot()
{
    clear();
    auto *root = new QTreeWidgetItem(this, QStringList{QStringLiteral("Quillmere")});
    root->setIcon(0, m_rootIcon);
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
