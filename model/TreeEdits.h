// What the item tree commands (Insert, Delete, Move Up, Move Down, batch import)
// do to the tree and the document together. Each operation works out everything
// from the tree first and then changes document and tree in step, so that after it
// the item at index i belongs to the node at absolute index i + 1 and its Level is
// that node's depth minus one. The window's handlers add only the questions, the
// selection bookkeeping and the command refresh.
#pragma once

#include "model/AppletAgent.h"
#include "model/Seams.h"
#include "model/TreeShape.h"

#include <QStringList>

#include <optional>
#include <vector>

// The caption of a node the Insert command adds.
extern const char *const kNewNodeCaption;
// The refusal of a Delete with the root selected.
extern const char *const kRootDeleteMessage;

// The run of items a node's subtree stands for: the node's own item at `first`,
// then one item per descendant in tree order.
struct TItemRun
{
    int first;
    int count;

    bool operator==(const TItemRun &) const = default;
};
TItemRun SubtreeItems(const IItemTree &tree, int absIndex);

// The absolute index a new last child of the node gets: right after the node and
// all its descendants (a + d + 1 for a node at a with d descendants).
int NewLastChildIndex(const IItemTree &tree, int parentAbsIndex);

// Adds `item` as the last child of the node, captioned `caption`, with its Level
// set from the new node's depth; returns the new node's absolute index.
int AddChildItem(TAppletAgent &document, IItemTree &tree, int parentAbsIndex, TItemData item, const QString &caption);

// Insert: a new empty item (Target "_self") in a node captioned "Image", the last
// child of the node; returns the new node's absolute index.
int InsertChildItem(TAppletAgent &document, IItemTree &tree, int parentAbsIndex);

// Delete: removes the items of the node and its descendants from the document,
// then the node with its descendants from the tree, so that whatever the tree
// reports about its new selection already agrees with the shorter item list.
// Returns the number of items removed. The root is refused with kRootDeleteMessage.
int DeleteSubtree(TAppletAgent &document, IItemTree &tree, int absIndex);

// Move Up: the node's block of items changes places with the block of its previous
// sibling, and the node moves in front of that sibling in the tree. Returns the
// node's new absolute index, or -1 (nothing changed) when it has no previous sibling.
int MoveSubtreeUp(TAppletAgent &document, IItemTree &tree, int absIndex);
// Move Down: the next sibling's block moves up past the node's block, and the next
// sibling moves in front of the node. Returns the node's new absolute index, or -1
// (nothing changed) when it has no next sibling.
int MoveSubtreeDown(TAppletAgent &document, IItemTree &tree, int absIndex);

// A subtree taken out of document and tree, to be put back: its items as they were,
// its captions and each node's depth below its top node (0 for the top), in tree order.
struct TSubtree
{
    TItemArray items;
    QStringList captions;
    std::vector<int> depths;
};
// Delete, keeping what it removes.
TSubtree TakeSubtree(TAppletAgent &document, IItemTree &tree, int absIndex);
// Puts a taken subtree back as the child of `parentAbsIndex` just before its child
// `beforeAbsIndex` (-1: as its last child), the items exactly as they were taken.
void PutSubtree(TAppletAgent &document, IItemTree &tree, int parentAbsIndex, int beforeAbsIndex, const TSubtree &subtree);

// A general move: the node with its subtree becomes the child of `parentAbsIndex` just
// before its child `beforeAbsIndex` (-1: its last child), and its block of items moves
// with it in the document; the moved items' Levels follow their new depths. The
// result says where every node went (TreeShape::Move::Where); it Stays() when the node
// was there already. The tree's refusals (the root, a parent inside the subtree, a
// `before` that is no child of the parent) come before anything changes.
TreeShape::Move MoveSubtreeTo(TAppletAgent &document, IItemTree &tree, int absIndex, int parentAbsIndex, int beforeAbsIndex);

// Where a node dragged with the mouse is dropped: on the upper or lower edge of
// another node, or on its middle.
enum class TDropPlace { Before, After, Into };
struct TMoveTarget
{
    int parent;
    int before; // -1: as the last child

    bool operator==(const TMoveTarget &) const = default;
};
// Where a node dropped on `target` goes: before the target or after it (after its
// subtree) under the target's parent, or into it as its last child; a drop anywhere on
// the root goes into the root. Nothing when the drop is refused: the root cannot be
// dragged, and a node cannot go into its own subtree.
std::optional<TMoveTarget> DropTarget(const IItemTree &tree, int absIndex, int targetAbsIndex, TDropPlace place);

// Carries the block of `count` items starting at `start` up past the `by` items
// before it; both blocks keep their inner order. The result is that of moving each
// item of the block, first to last, up `by` places with MoveItemUp, also for a
// range that leaves the item list (whose exchanges MoveItemUp ignores).
void MoveBlockUp(TAppletAgent &document, int start, int count, int by);

// Batch import: one item per picture path at the end of the root's children, in
// the given order; its OriginalImagePath is the path, its node is captioned with the
// file name (extension, blanks and dots kept) and its Level is "0".
void AppendImportedItems(TAppletAgent &document, IItemTree &tree, const QStringList &paths);

// Every item's Level from the depth of its node. An item read back from the item
// pane has none until this sets it, and a project file saved without levels could
// not be opened again. Items or nodes beyond the other list's end are left alone.
void RefreshLevels(TAppletAgent &document, const IItemTree &tree);
