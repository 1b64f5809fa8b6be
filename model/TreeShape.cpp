#include "model/TreeShape.h"

#include <algorithm>
#include <stdexcept>

void TreeShape::Assign(std::vector<int> depths)
{
    m_depths = std::move(depths);
    Rebuild();
}

void TreeShape::Rebuild()
{
    // A node closes every node of the open path at its depth or deeper.
    m_parents.assign(m_depths.size(), -1);
    m_ends.assign(m_depths.size(), kOpen);
    m_openPath.clear();
    for (size_t k = 0; k < m_depths.size(); ++k, ++m_visits) {
        const size_t depth = size_t(m_depths[k]);
        for (size_t d = depth; d < m_openPath.size(); ++d, ++m_visits)
            m_ends[size_t(m_openPath[d])] = int(k);
        m_openPath.resize(depth);
        m_parents[k] = depth == 0 ? -1 : m_openPath[depth - 1];
        m_openPath.push_back(int(k));
    }
}

int TreeShape::End(int k) const
{
    const int end = m_ends[size_t(k)];
    return end == kOpen ? Count() : end;
}

int TreeShape::PreviousSibling(int k) const
{
    const int depth = Depth(k);
    // The node before this one is the previous sibling, the parent, or a descendant
    // of the previous sibling; climbing from there costs at most its depth.
    int at = k - 1;
    while (at >= 0 && Depth(at) > depth) {
        at = Parent(at);
        ++m_visits;
    }
    return at >= 0 && Depth(at) == depth ? at : -1;
}

int TreeShape::NextSibling(int k) const
{
    const int after = End(k);
    return after < Count() && Depth(after) == Depth(k) ? after : -1;
}

bool TreeShape::AddsAtEnd(int parent) const
{
    const size_t depth = size_t(Depth(parent));
    return depth < m_openPath.size() && m_openPath[depth] == parent;
}

int TreeShape::AddLastChild(int parent)
{
    const int depth = Depth(parent) + 1;
    if (!AddsAtEnd(parent)) {
        // Right after the parent's last descendant.
        const int at = End(parent);
        m_depths.insert(m_depths.begin() + at, depth);
        Rebuild();
        return at;
    }
    // The deeper nodes of the open path are closed where the new node begins.
    const int at = Count();
    for (size_t d = size_t(depth); d < m_openPath.size(); ++d, ++m_visits)
        m_ends[size_t(m_openPath[d])] = at;
    m_openPath.resize(size_t(depth));
    m_openPath.push_back(at);
    m_depths.push_back(depth);
    m_parents.push_back(parent);
    m_ends.push_back(kOpen);
    return at;
}

void TreeShape::Erase(int first, int last)
{
    m_depths.erase(m_depths.begin() + first, m_depths.begin() + last);
    Rebuild();
}

TreeShape::Move TreeShape::PlanMove(int k, int parent, int before) const
{
    const int end = End(k);
    if (Depth(k) == 0)
        throw std::invalid_argument("the root node cannot be moved");
    if (parent >= k && parent < end)
        throw std::invalid_argument("a node cannot move into its own subtree");
    if (before >= 0 && Parent(before) != parent)
        throw std::invalid_argument("a node moves only before a child of its new parent");
    return {k, end, before >= 0 ? before : End(parent), Depth(parent) + 1 - Depth(k)};
}

void TreeShape::Apply(const Move &move)
{
    if (move.Stays())
        return;
    for (int k = move.first; k < move.last; ++k)
        m_depths[size_t(k)] += move.depthChange;
    move.Reorder(m_depths);
    Rebuild();
}
