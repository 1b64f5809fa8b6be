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
    const Node &parent = At(parentAbsIndex);
    const int depth = parent.depth + 1;
    if (size_t(parent.depth) < m_openPath.size() && m_openPath[size_t(parent.depth)] == parentAbsIndex) {
        // The parent's subtree reaches the end: the node is appended, and the deeper
        // nodes of the open path are closed where it begins.
        const int pos = NodeCount();
        for (size_t d = size_t(depth); d < m_openPath.size(); ++d, ++m_visits)
            m_nodes[size_t(m_openPath[d])].end = pos;
        m_openPath.resize(size_t(depth));
        m_openPath.push_back(pos);
        m_nodes.push_back(Node{caption, depth, parentAbsIndex, kOpen});
        return;
    }
    // The new last child goes right after the parent's last descendant.
    const int pos = End(parentAbsIndex);
    m_nodes.insert(m_nodes.begin() + pos, Node{caption, depth, parentAbsIndex, kOpen});
    Relink();
}

void MemoryItemTree::ResetToRoot()
{
    m_nodes.assign(1, Node{ProductName(), 0, -1, kOpen});
    m_openPath.assign(1, 0);
}

const MemoryItemTree::Node &MemoryItemTree::At(int absIndex) const
{
    return m_nodes.at(size_t(absIndex));
}

int MemoryItemTree::End(int absIndex) const
{
    const int end = At(absIndex).end;
    return end == kOpen ? NodeCount() : end;
}

int MemoryItemTree::Parent(int absIndex) const
{
    return At(absIndex).parent;
}

int MemoryItemTree::PreviousSibling(int absIndex) const
{
    const int depth = At(absIndex).depth;
    // The node before this one is the previous sibling, its parent, or a descendant
    // of the previous sibling; climbing from there costs at most its depth.
    int k = absIndex - 1;
    while (k >= 0 && m_nodes[size_t(k)].depth > depth) {
        k = m_nodes[size_t(k)].parent;
        ++m_visits;
    }
    return k >= 0 && m_nodes[size_t(k)].depth == depth ? k : -1;
}

int MemoryItemTree::NextSibling(int absIndex) const
{
    const int after = End(absIndex);
    return after < NodeCount() && m_nodes[size_t(after)].depth == m_nodes[size_t(absIndex)].depth ? after : -1;
}

int MemoryItemTree::SubtreeSize(int absIndex) const
{
    return End(absIndex) - absIndex;
}

void MemoryItemTree::RemoveSubtree(int absIndex)
{
    const int size = SubtreeSize(absIndex);
    if (absIndex == 0)
        throw std::invalid_argument("the root node cannot be removed");
    m_nodes.erase(m_nodes.begin() + absIndex, m_nodes.begin() + absIndex + size);
    Relink();
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
    Relink();
}

void MemoryItemTree::Relink()
{
    // m_openPath[d] is the latest node seen at depth d; a node closes every node on
    // the path at its depth or deeper.
    m_openPath.clear();
    for (size_t k = 0; k < m_nodes.size(); ++k, ++m_visits) {
        Node &node = m_nodes[k];
        for (size_t d = size_t(node.depth); d < m_openPath.size(); ++d, ++m_visits)
            m_nodes[size_t(m_openPath[d])].end = int(k);
        m_openPath.resize(size_t(node.depth));
        node.parent = node.depth == 0 ? -1 : m_openPath[size_t(node.depth) - 1];
        node.end = kOpen;
        m_openPath.push_back(int(k));
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
