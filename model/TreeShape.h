// The shape of a tree whose nodes are kept in pre-order, so that a node's position is
// its absolute index: every node's depth, its parent and where its subtree ends. Both
// item trees keep one beside their captions or widgets.
#pragma once

#include <QtGlobal>

#include <algorithm>

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
    // A whole subtree on its way to another place: the run first .. last - 1 goes to
    // stand before the node now at `at` (`at` == Count() for the end), every depth in
    // it changed by `depthChange`.
    struct Move
    {
        int first;
        int last;
        int at;
        int depthChange;

        // True when the order and the depths stay as they are.
        bool Stays() const { return depthChange == 0 && (at == first || at == last); }
        // Where the node at `k` stands after the move.
        int Where(int k) const
        {
            if (k >= first && k < last)
                return k - first + (at < first ? at : at - (last - first));
            if (at < first && k >= at && k < first)
                return k + (last - first);
            if (at > last && k >= last && k < at)
                return k - (last - first);
            return k;
        }
        // Carries out the same reordering on a list kept in this order, `offset` places
        // before it (the item list stands one place before the nodes).
        template <typename List> void Reorder(List &list, int offset = 0) const
        {
            const auto place = [&](int k) { return list.begin() + (k - offset); };
            if (at < first)
                std::rotate(place(at), place(first), place(last));
            else if (at > last)
                std::rotate(place(first), place(last), place(at));
        }
    };
    // Where node `k` with its subtree goes as a child of `parent`, before its child
    // `before` (-1: as the last child; the node itself: where it is). Raises
    // std::invalid_argument for the root, for a parent inside the subtree and for a
    // `before` that is no child of `parent`.
    Move PlanMove(int k, int parent, int before) const;
    void Apply(const Move &move);

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
