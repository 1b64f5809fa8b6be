// In-memory item tree and progress: used by the tests and the headless publisher.
#pragma once

#include "model/Seams.h"

#include <QStringList>
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

    // "caption" lines indented by two blanks per level, for readable test failures.
    QString Dump() const;
    // How many nodes the tree has looked at so far to answer questions and make edits,
    // beyond the one each call names: what keeps per-node work in proportion.
    qint64 NodeVisits() const { return m_visits; }

private:
    struct Node
    {
        QString caption;
        int depth;
        int parent;
        // The absolute index just past the node's subtree, or kOpen while the subtree
        // reaches the end of the tree (the node is the last node or one of its ancestors).
        int end;
    };
    static constexpr int kOpen = -1;
    // The node at an absolute index; std::out_of_range when there is none.
    const Node &At(int absIndex) const;
    int End(int absIndex) const;
    // Sets every node's parent and subtree end from the depths after the order has changed.
    void Relink();

    // Kept in pre-order, so a node's position is its absolute index.
    std::vector<Node> m_nodes;
    // The last node and its ancestors, indexed by depth: the nodes whose subtree is
    // open. A new last child of one of them goes to the end of the order.
    std::vector<int> m_openPath;
    mutable qint64 m_visits = 0;
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

    int maximum = 0;
    int position = 0;
    int highest = 0; // the highest position reached since the last SetMaximum
    QString stage;
    bool busy = false;
    QStringList stages; // every non-empty stage text, in order
    QStringList events;
};
