// The two small interfaces through which the document and the publishing code
// talk to whatever shows them: the item tree and the progress display. The
// editor window implements them with widgets; tests and the headless publisher
// use the in-memory versions in MemorySeams.h.
#pragma once

#include "model/Error.h"

#include <QString>

#include <chrono>
#include <thread>

// A tree of captioned nodes addressed by absolute index: the pre-order position
// in the whole tree, the root being 0. An index that names no node raises
// std::out_of_range; removing the root, or moving a node before one that is not
// its sibling, raises std::invalid_argument. Either leaves the tree unchanged.
class IItemTree
{
public:
    virtual ~IItemTree() = default;
    virtual int NodeCount() const = 0;
    // Depth of the node: 0 for the root, 1 for its children, ...
    virtual int Depth(int absIndex) const = 0;
    virtual QString Caption(int absIndex) const = 0;
    virtual void SetCaption(int absIndex, const QString &caption) = 0;
    // Adds a node captioned `caption` as the last child of the node at `parentAbsIndex`.
    virtual void AddLastChild(int parentAbsIndex, const QString &caption) = 0;
    // Removes every node but the root, which is captioned "Quillmere" again.
    virtual void ResetToRoot() = 0;

    // Neighbours of a node, as absolute indexes; -1 when there is none (the root
    // has no parent and no siblings).
    virtual int Parent(int absIndex) const = 0;
    virtual int PreviousSibling(int absIndex) const = 0;
    virtual int NextSibling(int absIndex) const = 0;
    // The number of nodes in the node's subtree: the node itself and all its
    // descendants. They occupy absolute indexes absIndex .. absIndex + size - 1.
    virtual int SubtreeSize(int absIndex) const = 0;
    // Removes a node other than the root together with all its descendants.
    virtual void RemoveSubtree(int absIndex) = 0;
    // Moves a node with its subtree to the place just before `siblingAbsIndex`, a
    // sibling under the same parent. Every node keeps its depth and caption.
    virtual void MoveSubtreeBefore(int absIndex, int siblingAbsIndex) = 0;
    // Moves a node other than the root with its subtree under another parent or to
    // another place under its own: it becomes the child of `parentAbsIndex` just
    // before that node's child `beforeAbsIndex`, or its last child for -1 (all indexes
    // as they stand before the move). The moved nodes keep their captions and take the
    // depths of their new place. A parent inside the moved subtree, or a `before` that
    // is no child of the parent, raises std::invalid_argument.
    virtual void MoveSubtree(int absIndex, int parentAbsIndex, int beforeAbsIndex) = 0;
};

// The hint line, progress bar and busy cursor of a long operation, and the way
// the user stops one.
class IProgress
{
public:
    virtual ~IProgress() = default;
    virtual void SetMaximum(int maximum) = 0;
    virtual void Step(int by) = 0;
    virtual void SetPosition(int position) = 0;
    virtual void SetStage(const QString &text) = 0;
    virtual void SetBusy(bool busy) = 0;

    // "done of total" of the pieces of the current stage (pictures, files), for a
    // display with room for it beside the bar.
    virtual void SetCount(int done, int total)
    {
        (void)done;
        (void)total;
    }
    // Called between small pieces of work: the editor lets its event loop run here
    // (repaints, the Cancel button) once it has not for a few milliseconds.
    virtual void KeepAlive() {}
    // Whether the user asked to stop. Operations look at their safe points, where
    // stopping loses nothing, and raise TCancelled there (CheckIn).
    virtual bool Cancelled() const { return false; }
    // Waits about `milliseconds` for work done on other threads; the editor's event
    // loop runs meanwhile.
    virtual void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
};

// A safe point of a long operation: KeepAlive, then TCancelled (model/Error.h) when
// the user asked to stop.
inline void CheckIn(IProgress &progress)
{
    progress.KeepAlive();
    if (progress.Cancelled())
        throw TCancelled();
}

// Brings progress back to rest (position 0, no stage text, normal cursor) when
// it goes out of scope, also when an error leaves the operation early.
class ProgressReset
{
public:
    explicit ProgressReset(IProgress &progress) : m_progress(progress) {}
    ~ProgressReset()
    {
        m_progress.SetPosition(0);
        m_progress.SetStage(QString());
        m_progress.SetBusy(false);
    }
    ProgressReset(const ProgressReset &) = delete;
    ProgressReset &operator=(const ProgressReset &) = delete;

private:
    IProgress &m_progress;
};
