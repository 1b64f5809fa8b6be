#include "model/TreeEdits.h"

#include "model/Error.h"
#include "model/TextUtils.h"

#include <algorithm>
#include <stdexcept>

const char *const kNewNodeCaption = "Image";
const char *const kRootDeleteMessage = "Root item cannot be deleted.";

namespace {

// An edit on a document whose items no longer line up with the tree would put
// items under the wrong nodes: it is refused before anything changes.
void CheckInStep(const TAppletAgent &document, const IItemTree &tree)
{
    const int items = int(document.Items.size());
    const int nodes = tree.NodeCount();
    if (items != nodes - 1)
        throw QmError(QStringLiteral("The item list (%1 items) does not match the item tree (%2 items). Nothing was changed.")
                          .arg(items)
                          .arg(nodes - 1));
}

} // namespace

TItemRun SubtreeItems(const IItemTree &tree, int absIndex)
{
    return {absIndex - 1, tree.SubtreeSize(absIndex)};
}

int NewLastChildIndex(const IItemTree &tree, int parentAbsIndex)
{
    return parentAbsIndex + tree.SubtreeSize(parentAbsIndex);
}

int AddChildItem(TAppletAgent &document, IItemTree &tree, int parentAbsIndex, TItemData item, const QString &caption)
{
    CheckInStep(document, tree);
    const int node = NewLastChildIndex(tree, parentAbsIndex);
    tree.AddLastChild(parentAbsIndex, caption);
    item.Level = QString::number(tree.Depth(node) - 1);
    document.InsertItem(node - 1, item);
    return node;
}

int InsertChildItem(TAppletAgent &document, IItemTree &tree, int parentAbsIndex)
{
    return AddChildItem(document, tree, parentAbsIndex, TAppletAgent::NewItem(), QString::fromLatin1(kNewNodeCaption));
}

int DeleteSubtree(TAppletAgent &document, IItemTree &tree, int absIndex)
{
    if (absIndex == 0)
        throw QmError(QString::fromLatin1(kRootDeleteMessage));
    CheckInStep(document, tree);
    const TItemRun run = SubtreeItems(tree, absIndex);
    // Deleting index `first` run.count times, as one erase.
    const auto first = document.Items.begin() + run.first;
    document.Items.erase(first, first + run.count);
    tree.RemoveSubtree(absIndex);
    return run.count;
}

int MoveSubtreeUp(TAppletAgent &document, IItemTree &tree, int absIndex)
{
    CheckInStep(document, tree);
    const int previous = tree.PreviousSibling(absIndex);
    if (previous < 0)
        return -1;
    MoveBlockUp(document, absIndex - 1, tree.SubtreeSize(absIndex), tree.SubtreeSize(previous));
    tree.MoveSubtreeBefore(absIndex, previous);
    return previous;
}

int MoveSubtreeDown(TAppletAgent &document, IItemTree &tree, int absIndex)
{
    CheckInStep(document, tree);
    const int next = tree.NextSibling(absIndex);
    if (next < 0)
        return -1;
    const int nextSize = tree.SubtreeSize(next);
    MoveBlockUp(document, next - 1, nextSize, tree.SubtreeSize(absIndex));
    tree.MoveSubtreeBefore(next, absIndex);
    return absIndex + nextSize;
}

TSubtree TakeSubtree(TAppletAgent &document, IItemTree &tree, int absIndex)
{
    TSubtree taken;
    if (absIndex > 0) {
        CheckInStep(document, tree);
        const TItemRun run = SubtreeItems(tree, absIndex);
        taken.items.assign(document.Items.begin() + run.first, document.Items.begin() + run.first + run.count);
        const int top = tree.Depth(absIndex);
        for (int k = absIndex; k < absIndex + run.count; ++k) {
            taken.captions << tree.Caption(k);
            taken.depths.push_back(tree.Depth(k) - top);
        }
    }
    DeleteSubtree(document, tree, absIndex);
    return taken;
}

void PutSubtree(TAppletAgent &document, IItemTree &tree, int parentAbsIndex, int beforeAbsIndex, const TSubtree &subtree)
{
    CheckInStep(document, tree);
    if (beforeAbsIndex != -1 && tree.Parent(beforeAbsIndex) != parentAbsIndex)
        throw std::invalid_argument("a subtree goes back only before a child of its parent");
    const int at = beforeAbsIndex != -1 ? beforeAbsIndex : NewLastChildIndex(tree, parentAbsIndex);
    // Built at the very end of the order, below the root, where every new node costs
    // the same; then moved to its place in one step.
    const int top = tree.NodeCount();
    std::vector<int> path{0};
    for (size_t k = 0; k < subtree.items.size(); ++k) {
        path.resize(size_t(subtree.depths[k]) + 1);
        tree.AddLastChild(path.back(), subtree.captions[qsizetype(k)]);
        path.push_back(top + int(k));
    }
    tree.MoveSubtree(top, parentAbsIndex, beforeAbsIndex);
    document.Items.insert(document.Items.begin() + (at - 1), subtree.items.begin(), subtree.items.end());
}

TreeShape::Move MoveSubtreeTo(TAppletAgent &document, IItemTree &tree, int absIndex, int parentAbsIndex, int beforeAbsIndex)
{
    CheckInStep(document, tree);
    const TreeShape::Move move{absIndex, absIndex + tree.SubtreeSize(absIndex),
                               beforeAbsIndex != -1 ? beforeAbsIndex : NewLastChildIndex(tree, parentAbsIndex),
                               tree.Depth(parentAbsIndex) + 1 - tree.Depth(absIndex)};
    tree.MoveSubtree(absIndex, parentAbsIndex, beforeAbsIndex);
    move.Reorder(document.Items, 1);
    if (move.depthChange != 0) {
        for (int k = move.Where(move.first); k < move.Where(move.first) + (move.last - move.first); ++k)
            document.Items[size_t(k) - 1].Level = QString::number(tree.Depth(k) - 1);
    }
    return move;
}

std::optional<TMoveTarget> DropTarget(const IItemTree &tree, int absIndex, int targetAbsIndex, TDropPlace place)
{
    if (absIndex <= 0 || (targetAbsIndex >= absIndex && targetAbsIndex < absIndex + tree.SubtreeSize(absIndex)))
        return std::nullopt;
    if (place == TDropPlace::Into || targetAbsIndex == 0)
        return TMoveTarget{targetAbsIndex, -1};
    const int parent = tree.Parent(targetAbsIndex);
    return TMoveTarget{parent, place == TDropPlace::Before ? targetAbsIndex : tree.NextSibling(targetAbsIndex)};
}

void MoveBlockUp(TAppletAgent &document, int start, int count, int by)
{
    TItemArray &items = document.Items;
    if (count <= 0 || by <= 0)
        return;
    if (start - by >= 0 && start + count <= int(items.size())) {
        // One rotation does what count * by exchanges would, without their cost
        // for large subtrees.
        std::rotate(items.begin() + (start - by), items.begin() + start, items.begin() + (start + count));
        return;
    }
    for (int k = 0; k < count; ++k)
        for (int step = 0; step < by; ++step)
            document.MoveItemUp(start + k - step);
}

void AppendImportedItems(TAppletAgent &document, IItemTree &tree, const QStringList &paths)
{
    CheckInStep(document, tree);
    for (const QString &path : paths) {
        TItemData item = TAppletAgent::NewItem();
        item.OriginalImagePath = path;
        AddChildItem(document, tree, 0, item, ExtractFileName(path));
    }
}

void RefreshLevels(TAppletAgent &document, const IItemTree &tree)
{
    const int count = std::min(tree.NodeCount() - 1, int(document.Items.size()));
    for (int p = 1; p <= count; ++p)
        document.Items[size_t(p) - 1].Level = QString::number(tree.Depth(p) - 1);
}
