#include "model/MemorySeams.h"

#include "model/Product.h"

#include <algorithm>
#include <stdexcept>

MemoryItemTree::MemoryItemTree()
{
    ResetToRoot();
}

int MemoryItemTree::NodeCount() const
{
    return int(m_nodes.size());
}

int MemoryItemTree::Depth(int absIndex) const
{
    return m_nodes.at(size_t(absIndex)).depth;
}

QString MemoryItemTree::Caption(int absIndex) const
{
    return m_nodes.at(size_t(absIndex)).caption;
}

void MemoryItemTree::SetCaption(int absIndex, const QString &caption)
{
    m_nodes.at(size_t(absIndex)).caption = caption;
}

void MemoryItemTree::AddLastChild(int parentAbsIndex, const QString &caption)
{
    const Node &parent = m_nodes.at(size_t(parentAbsIndex));
    // The new last child goes right after the parent's last descendant.
    size_t pos = size_t(parentAbsIndex) + 1;
    while (pos < m_nodes.size() && m_nodes[pos].depth > parent.depth)
        ++pos;
    const int depth = parent.depth + 1;
    // Parents after the insertion point move one place on.
    for (Node &n : m_nodes)
        if (n.parent >= int(pos))
            ++n.parent;
    m_nodes.insert(m_nodes.begin() + long(pos), Node{caption, depth, parentAbsIndex});
}

void MemoryItemTree::ResetToRoot()
{
    m_nodes.assign(1, Node{ProductName(), 0, -1});
}

const MemoryItemTree::Node &MemoryItemTree::At(int absIndex) const
{
    return m_nodes.at(size_t(absIndex));
}

int MemoryItemTree::Parent(int absIndex) const
{
    return At(absIndex).parent;
}

int MemoryItemTree::PreviousSibling(int absIndex) const
{
    const int depth = At(absIndex).depth;
    // Going back, the first node no deeper than this one is either the previous
    // sibling or, when there is none, the parent.
    for (int k = absIndex - 1; k >= 0; --k)
        if (m_nodes[size_t(k)].depth <= depth)
            return m_nodes[size_t(k)].depth == depth ? k : -1;
    return -1;
}

int MemoryItemTree::NextSibling(int absIndex) const
{
    const int after = absIndex + SubtreeSize(absIndex);
    return after < NodeCount() && m_nodes[size_t(after)].depth == m_nodes[size_t(absIndex)].depth ? after : -1;
}

int MemoryItemTree::SubtreeSize(int absIndex) const
{
    const int depth = At(absIndex).depth;
    int end = absIndex + 1;
    while (end < NodeCount() && m_nodes[size_t(end)].depth > depth)
        ++end;
    return end - absIndex;
}

void MemoryItemTree::RemoveSubtree(int absIndex)
{
    const int size = SubtreeSize(absIndex);
    if (absIndex == 0)
        throw std::invalid_argument("the root node cannot be removed");
    m_nodes.erase(m_nodes.begin() + absIndex, m_nodes.begin() + absIndex + size);
    RelinkParents();
}

void MemoryItemTree::MoveSubtreeBefore(int absIndex, int siblingAbsIndex)
{
    const int size = SubtreeSize(absIndex);
    if (absIndex == siblingAbsIndex || Parent(absIndex) != Parent(siblingAbsIndex))
        throw std::invalid_argument("a node moves only before another child of its parent");
    const auto at = [this](int k) { return m_nodes.begin() + k; };
    if (siblingAbsIndex < absIndex)
        std::rotate(at(siblingAbsIndex), at(absIndex), at(absIndex + size));
    else
        std::rotate(at(absIndex), at(absIndex + size), at(siblingAbsIndex));
    RelinkParents();
}

void MemoryItemTree::RelinkParents()
{
    // ancestors[d] is the latest node seen at depth d.
    std::vector<int> ancestors;
    for (size_t k = 0; k < m_nodes.size(); ++k) {
        Node &node = m_nodes[k];
        ancestors.resize(size_t(node.depth));
        node.parent = node.depth == 0 ? -1 : ancestors[size_t(node.depth) - 1];
        ancestors.push_back(int(k));
    }
}

QString MemoryItemTree::Dump() const
{
    QString out;
    for (const Node &n : m_nodes)
        out += QString(n.depth * 2, QLatin1Char(' ')) + n.caption + QLatin1Char('\n');
    return out;
}

void MemoryProgress::SetMaximum(int value)
{
    maximum = value;
    highest = 0;
    events << QStringLiteral("max %1").arg(value);
}

void MemoryProgress::Step(int by)
{
    position += by;
    highest = std::max(highest, position);
    events << QStringLiteral("step %1").arg(by);
}

void MemoryProgress::SetPosition(int value)
{
    position = value;
    highest = std::max(highest, position);
    events << QStringLiteral("pos %1").arg(value);
}

void MemoryProgress::SetStage(const QString &text)
{
    stage = text;
    if (!text.isEmpty())
        stages << text;
    events << QStringLiteral("stage %1").arg(text);
}

void MemoryProgress::SetBusy(bool value)
{
    busy = value;
    events << (value ? QStringLiteral("busy") : QStringLiteral("idle"));
}
