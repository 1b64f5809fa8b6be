// The shape of a tree whose nodes are kept in pre-order, so that a node's position is
// its absolute index: every node's depth, its parent and where its subtree ends. Both
// item trees keep one beside their captions or widgets.
#pragma once

#include <QtGlobal>

#include <vector>

class TreeShape
{
public:
    // Takes the depths of the nodes in pre-order (the first at depth 0) and works out
    // the rest in one pass.
    void Assign(std::vector<int> depths);

    int Count() const { return int(m_depths.size()); }
    int Depth(int k) const { return m_depths[size_t(k)]; }
    // -1 for a node at depth 0.
    int Parent(int k) const { return m_parents[size_t(k)]; }
    // The absolute index just past the node's subtree.
    int End(int k) const;
    // -1 when there is none. The previous one costs at most the node's depth.
    int PreviousSibling(int k) const;
    int NextSibling(int k) const;

    // Adds a new last child of `parent` and returns its absolute index. Below the last
    // node or one of its ancestors (every node a file or an import adds) it goes to the
    // end of the order at amortised constant cost; elsewhere the shape is worked out again.
    int AddLastChild(int parent);
    // True when a new last child of `parent` goes to the end of the order.
    bool AddsAtEnd(int parent) const;
    // Removes the nodes first .. last - 1, a whole subtree.
    void Erase(int first, int last);
    // The two neighbouring runs first .. middle - 1 and middle .. last - 1 change places,
    // as std::rotate does; both are whole subtrees below the same parent.
    void Rotate(int first, int middle, int last);

    // How many nodes the shape has looked at so far beyond the one each call names.
    qint64 Visits() const { return m_visits; }

private:
    void Rebuild();

    std::vector<int> m_depths;
    std::vector<int> m_parents;
    // The absolute index just past each node's subtree, or kOpen while the subtree
    // reaches the end of the order.
    std::vector<int> m_ends;
    // The last node and its ancestors, indexed by depth: the nodes whose subtree is open.
    std::vector<int> m_openPath;
    static constexpr int kOpen = -1;
    mutable qint64 m_visits = 0;
};
