#include "model/MemorySeams.h"

#include "model/Product.h"

#include <algorithm>

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

int MemoryItemTree::Parent(int absIndex) const
{
    return m_nodes.at(size_t(absIndex)).parent;
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
