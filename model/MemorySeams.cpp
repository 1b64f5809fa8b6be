#include "model/MemorySeams.h"

#include "model/Product.h"

#include <algorithm>
#include <stdexcept>
#include <string>

MemoryItemTree::MemoryItemTree()
{
    ResetToRoot();
}

int MemoryItemTree::Checked(int absIndex) const
{
    if (absIndex < 0 || absIndex >= NodeCount())
        throw std::out_of_range("tree node " + std::to_string(absIndex) + " does not exist");
    return absIndex;
}

int MemoryItemTree::NodeCount() const
{
    return int(m_captions.size());
}

int MemoryItemTree::Depth(int absIndex) const
{
    return m_shape.Depth(Checked(absIndex));
}

QString MemoryItemTree::Caption(int absIndex) const
{
    return m_captions[size_t(Checked(absIndex))];
}

void MemoryItemTree::SetCaption(int absIndex, const QString &caption)
{
    m_captions[size_t(Checked(absIndex))] = caption;
}

void MemoryItemTree::AddLastChild(int parentAbsIndex, const QString &caption)
{
    const int at = m_shape.AddLastChild(Checked(parentAbsIndex));
    m_captions.insert(m_captions.begin() + at, caption);
}

void MemoryItemTree::ResetToRoot()
{
    m_captions.assign(1, ProductName());
    m_shape.Assign({0});
}

int MemoryItemTree::Parent(int absIndex) const
{
    return m_shape.Parent(Checked(absIndex));
}

int MemoryItemTree::PreviousSibling(int absIndex) const
{
    return m_shape.PreviousSibling(Checked(absIndex));
}

int MemoryItemTree::NextSibling(int absIndex) const
{
    return m_shape.NextSibling(Checked(absIndex));
}

int MemoryItemTree::SubtreeSize(int absIndex) const
{
    return m_shape.End(Checked(absIndex)) - absIndex;
}

void MemoryItemTree::RemoveSubtree(int absIndex)
{
    const int end = absIndex + SubtreeSize(absIndex);
    if (absIndex == 0)
        throw std::invalid_argument("the root node cannot be removed");
    m_captions.erase(m_captions.begin() + absIndex, m_captions.begin() + end);
    m_shape.Erase(absIndex, end);
}

void MemoryItemTree::MoveSubtreeBefore(int absIndex, int siblingAbsIndex)
{
    if (absIndex == siblingAbsIndex || Parent(absIndex) != Parent(siblingAbsIndex))
        throw std::invalid_argument("a node moves only before another child of its parent");
    MoveSubtree(absIndex, Parent(absIndex), siblingAbsIndex);
}

void MemoryItemTree::MoveSubtree(int absIndex, int parentAbsIndex, int beforeAbsIndex)
{
    Checked(absIndex);
    Checked(parentAbsIndex);
    if (beforeAbsIndex != -1)
        Checked(beforeAbsIndex);
    const TreeShape::Move move = m_shape.PlanMove(absIndex, parentAbsIndex, beforeAbsIndex);
    move.Reorder(m_captions);
    m_shape.Apply(move);
}

QString MemoryItemTree::Dump() const
{
    QString out;
    for (int k = 0; k < NodeCount(); ++k)
        out += QString(m_shape.Depth(k) * 2, QLatin1Char(' ')) + m_captions[size_t(k)] + QLatin1Char('\n');
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
