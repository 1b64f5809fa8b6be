#include "publish/Octree.h"

#include <algorithm>
#include <cmath>
#include <queue>

namespace {

// Every distinct colour of the picture is a node at depth 8; the inner nodes keep
// the sums of their subtree, so any cut through the tree is a palette.
struct Node
{
    std::int32_t child[8];
    std::int32_t parent;
    std::uint32_t count;
    std::uint64_t sum[3];
    std::uint8_t depth;
    std::uint8_t children; // children not yet merged away
    bool leaf;             // part of the current cut
    std::int32_t paletteIndex;
};

class Tree
{
public:
    explicit Tree(const Bitmap &picture)
    {
        m_nodes.reserve(4096);
        newNode(-1, 0);
        for (int y = 0; y < picture.height(); ++y) {
            const std::uint8_t *p = picture.row(y);
            for (int x = 0; x < picture.width(); ++x, p += 3)
                add(p[0], p[1], p[2]);
        }
    }

    // Merges the cheapest subtrees (least growth of the squared error) until at
    // most maxColors leaves are left.
    void reduce(int maxColors)
    {
        using Entry = std::pair<double, std::int32_t>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
        std::int64_t leaves = 0;
        for (std::int32_t i = 0; i < std::int32_t(m_nodes.size()); ++i) {
            if (m_nodes[std::size_t(i)].depth == 8)
                ++leaves;
            else if (m_nodes[std::size_t(i)].depth == 7)
                queue.push({mergeCost(i), i});
        }
        while (leaves > maxColors && !queue.empty()) {
            const std::int32_t i = queue.top().second;
            queue.pop();
            Node &node = m_nodes[std::size_t(i)];
            leaves -= node.children - 1;
            node.leaf = true;
            const std::int32_t parent = node.parent;
            if (parent >= 0 && allChildrenLeaves(parent))
                queue.push({mergeCost(parent), parent});
        }
    }

    std::vector<PaletteColor> palette()
    {
        std::vector<PaletteColor> colors;
        collect(0, colors);
        return colors;
    }

    // The distinct colours (depth-8 nodes) with their counts.
    template <typename F> void forEachColour(F f) const
    {
        for (const Node &n : m_nodes)
            if (n.depth == 8)
                f(n);
    }

    Node *find(std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        std::int32_t i = 0;
        for (int level = 0; level < 8 && i >= 0; ++level)
            i = m_nodes[std::size_t(i)].child[branch(r, g, b, level)];
        return i >= 0 ? &m_nodes[std::size_t(i)] : nullptr;
    }

    std::vector<Node> &nodes() { return m_nodes; }

private:
    static int branch(std::uint8_t r, std::uint8_t g, std::uint8_t b, int level)
    {
        const int shift = 7 - level;
        return ((r >> shift) & 1) << 2 | ((g >> shift) & 1) << 1 | ((b >> shift) & 1);
    }

    std::int32_t newNode(std::int32_t parent, int depth)
    {
        Node n{};
        std::fill(std::begin(n.child), std::end(n.child), -1);
        n.parent = parent;
        n.depth = std::uint8_t(depth);
        n.leaf = depth == 8;
        n.paletteIndex = -1;
        m_nodes.push_back(n);
        return std::int32_t(m_nodes.size() - 1);
    }

    void add(std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        std::int32_t i = 0;
        for (int level = 0;; ++level) {
            Node &n = m_nodes[std::size_t(i)];
            ++n.count;
            n.sum[0] += r;
            n.sum[1] += g;
            n.sum[2] += b;
            if (level == 8)
                return;
            const int k = branch(r, g, b, level);
            std::int32_t next = n.child[k];
            if (next < 0) {
                next = newNode(i, level + 1); // may move the nodes: index again below
                m_nodes[std::size_t(i)].child[k] = next;
                ++m_nodes[std::size_t(i)].children;
            }
            i = next;
        }
    }

    bool allChildrenLeaves(std::int32_t i) const
    {
        for (std::int32_t c : m_nodes[std::size_t(i)].child)
            if (c >= 0 && !m_nodes[std::size_t(c)].leaf)
                return false;
        return true;
    }

    static double spread(const Node &n)
    {
        double s = 0;
        for (int c = 0; c < 3; ++c)
            s += double(n.sum[c]) * double(n.sum[c]);
        return s / n.count;
    }

    // Growth of the summed squared error when the node's children become one colour.
    double mergeCost(std::int32_t i) const
    {
        const Node &n = m_nodes[std::size_t(i)];
        double children = 0;
        for (std::int32_t c : n.child)
            if (c >= 0)
                children += spread(m_nodes[std::size_t(c)]);
        return children - spread(n);
    }

    void collect(std::int32_t i, std::vector<PaletteColor> &colors)
    {
        Node &n = m_nodes[std::size_t(i)];
        if (n.leaf || n.depth == 8) {
            colors.push_back(Mean(n));
            return;
        }
        for (std::int32_t c : n.child)
            if (c >= 0)
                collect(c, colors);
    }

public:
    static PaletteColor Mean(const Node &n)
    {
        auto avg = [&](int c) { return std::uint8_t((n.sum[c] + n.count / 2) / n.count); };
        return {avg(0), avg(1), avg(2)};
    }

private:
    std::vector<Node> m_nodes;
};

int Distance(const PaletteColor &a, int r, int g, int b)
{
    const int dr = a.r - r, dg = a.g - g, db = a.b - b;
    return dr * dr + dg * dg + db * db;
}

// Exact nearest palette entry, searched outwards from the closest red value.
class NearestSearch
{
public:
    explicit NearestSearch(const std::vector<PaletteColor> &palette) : m_palette(palette)
    {
        m_order.resize(palette.size());
        for (std::size_t i = 0; i < palette.size(); ++i)
            m_order[i] = int(i);
        std::sort(m_order.begin(), m_order.end(), [&](int a, int b) { return palette[std::size_t(a)].r < palette[std::size_t(b)].r; });
        for (int i = 0; i < 256; ++i)
            m_start[std::size_t(i)] =
                int(std::lower_bound(m_order.begin(), m_order.end(), i, [&](int e, int v) { return palette[std::size_t(e)].r < v; }) -
                    m_order.begin());
    }

    int find(int r, int g, int b) const
    {
        const int n = int(m_order.size());
        int best = -1, bestDistance = 1 << 30;
        int up = m_start[std::size_t(r)], down = up - 1;
        while (up < n || down >= 0) {
            if (up < n) {
                const PaletteColor &c = m_palette[std::size_t(m_order[std::size_t(up)])];
                const int dr = c.r - r;
                if (dr * dr >= bestDistance)
                    up = n;
                else {
                    const int d = Distance(c, r, g, b);
                    if (d < bestDistance)
                        bestDistance = d, best = m_order[std::size_t(up)];
                    ++up;
                }
            }
            if (down >= 0) {
                const PaletteColor &c = m_palette[std::size_t(m_order[std::size_t(down)])];
                const int dr = r - c.r;
                if (dr * dr >= bestDistance)
                    down = -1;
                else {
                    const int d = Distance(c, r, g, b);
                    if (d < bestDistance)
                        bestDistance = d, best = m_order[std::size_t(down)];
                    --down;
                }
            }
        }
        return best;
    }

private:
    const std::vector<PaletteColor> &m_palette;
    std::vector<int> m_order;
    std::array<int, 256> m_start{};
};

// A few rounds of moving every palette entry to the mean of the colours nearest
// to it (weighted by their pixel counts); each round can only lower the error.
void Refine(Tree &tree, std::vector<PaletteColor> &palette, int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::array<std::uint64_t, 4>> sums(palette.size(), {0, 0, 0, 0});
        NearestSearch search(palette);
        tree.forEachColour([&](const Node &n) {
            const PaletteColor c = Tree::Mean(n);
            auto &s = sums[std::size_t(search.find(c.r, c.g, c.b))];
            for (int k = 0; k < 3; ++k)
                s[std::size_t(k)] += n.sum[k];
            s[3] += n.count;
        });
        for (std::size_t i = 0; i < palette.size(); ++i)
            if (sums[i][3])
                palette[i] = {std::uint8_t((sums[i][0] + sums[i][3] / 2) / sums[i][3]),
                              std::uint8_t((sums[i][1] + sums[i][3] / 2) / sums[i][3]),
                              std::uint8_t((sums[i][2] + sums[i][3] / 2) / sums[i][3])};
    }
}

} // namespace

std::vector<PaletteColor> OctreePalette(const Bitmap &picture, int maxColors)
{
    maxColors = std::clamp(maxColors, 1, 256);
    Tree tree(picture);
    tree.reduce(maxColors);
    std::vector<PaletteColor> palette = tree.palette();
    Refine(tree, palette, 2);
    return palette;
}

IndexedPicture Quantise(const Bitmap &picture, int maxColors)
{
    maxColors = std::clamp(maxColors, 1, 256);
    Tree tree(picture);
    tree.reduce(maxColors);
    IndexedPicture out;
    out.palette = tree.palette();
    Refine(tree, out.palette, 2);
    NearestSearch search(out.palette);
    for (Node &n : tree.nodes())
        if (n.depth == 8) {
            const PaletteColor c = Tree::Mean(n); // the exact colour: a depth-8 node holds one
            n.paletteIndex = search.find(c.r, c.g, c.b);
        }
    out.indexes.resize(std::size_t(picture.width()) * std::size_t(picture.height()));
    std::size_t k = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint8_t *p = picture.row(y);
        for (int x = 0; x < picture.width(); ++x, p += 3)
            out.indexes[k++] = std::uint8_t(tree.find(p[0], p[1], p[2])->paletteIndex);
    }
    return out;
}
