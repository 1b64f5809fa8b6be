// In-memory item tree and progress: used by the tests and the headless publisher.
#pragma once

#include "model/Seams.h"
#include "model/TreeShape.h"

#include <QStringList>

#include <functional>
#include <vector>

class MemoryItemTree : public IItemTree
{
public:
    MemoryItemTree();
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
    void RemoveSubtree(int absIndex) override;
    void MoveSubtreeBefore(int absIndex, int siblingAbsIndex) override;
    void MoveSubtree(int absIndex, int parentAbsIndex, int beforeAbsIndex) override;

    // "caption" lines indented by two blanks per level, for readable test failures.
    QString Dump() const;
    // How many nodes the tree has looked at so far to answer questions and make edits,
    // beyond the one each call names: what keeps per-node work in proportion.
    qint64 NodeVisits() const { return m_shape.Visits(); }

private:
    // The index itself; std::out_of_range when there is no such node.
    int Checked(int absIndex) const;

    // Kept in pre-order, so a node's position is its absolute index.
    std::vector<QString> m_captions;
    TreeShape m_shape;
};

// Records what an operation reported; `events` keeps every call in order.
class MemoryProgress : public IProgress
{
public:
    void SetMaximum(int maximum) override;
    void Step(int by) override;
    void SetPosition(int position) override;
    void SetStage(const QString &text) override;
    void SetBusy(bool busy) override;
    bool Cancelled() const override { return cancelWhen && cancelWhen(); }

    // Asked at every safe point: true stops the operation there, as Cancel would.
    std::function<bool()> cancelWhen;
    int maximum = 0;
    int position = 0;
    int highest = 0; // the highest position reached since the last SetMaximum
    QString stage;
    bool busy = false;
    QStringList stages; // every non-empty stage text, in order
    QStringList events;
};
