// The editor's undo steps. Each changes the document and the item tree together
// through model/TreeEdits and keeps only what it changed (the items of a deleted
// subtree, where a moved block went, the old and new text of a value), so that
// undoing it gives back exactly the document and tree it found, and redoing it
// exactly the ones it left, whatever the size of the project.
#pragma once

#include "model/AppletAgent.h"
#include "model/TreeEdits.h"

#include <QUndoCommand>

#include <functional>
#include <memory>

// The tree's selection around a step: the selected node and the node whose item the
// item pane shows, as absolute indexes (-1: none).
struct TSelection
{
    int selected = -1;
    int shown = -1;

    bool operator==(const TSelection &) const = default;
};

// One value of the gallery (item -1) or of one item, by its catalogue position (1 is
// the first). Every catalogued value is one, with a control or without.
struct TValueRef
{
    // `item` is an item's index, or one of these for the gallery's values.
    static constexpr int kGallery = -1;      // a value of kAppletCatalogue
    static constexpr int kGalleryExtra = -2; // a value of kAppletExtrasCatalogue
    static constexpr int kShownItem = -3;    // as a pane binds it: the item the pane shows

    int item = kGallery;
    int position = 0;

    bool operator==(const TValueRef &) const = default;
};
QString ValueOf(const TAppletAgent &document, const TValueRef &value);
// The object name of the control that edits the value ("" for none), and its codec mode.
const char *ValueControl(const TValueRef &value);
int ValueMode(const TValueRef &value);

// Whoever shows document and tree: the editor window. Tests run the steps without one.
class IEditView
{
public:
    virtual ~IEditView() = default;
    virtual TSelection Selection() const = 0;
    // Runs `change`, an undo or a redo, with the view's own reactions to changes of
    // the tree held back; then selects `selection`, shows the item pane of its shown
    // node from the document and, given `value`, shows that value in its control.
    virtual void Replay(const std::function<void()> &change, const TSelection &selection, const TValueRef *value) = 0;
};

struct TEditContext
{
    TAppletAgent &document;
    IItemTree &tree;
    IEditView *view = nullptr;
};

class TEditStep : public QUndoCommand
{
public:
    // The first run of the step, before it goes on the undo stack (whose push then
    // leaves it alone). `before` is the selection it starts from; the selection it
    // leaves is asked of the view afterwards. False when there was nothing to change:
    // such a step is not kept. What TreeEdits refuses is raised before anything changes.
    bool Do(const TSelection &before = {});
    void undo() override;
    void redo() override;

protected:
    TEditStep(const TEditContext &context, const QString &text);
    // The change, at the first run and at every redo; false when nothing changed.
    virtual bool Apply() = 0;
    virtual void Revert() = 0;
    // The value a value step changes, for the view to show.
    virtual const TValueRef *Value() const { return nullptr; }

    TAppletAgent &m_document;
    IItemTree &m_tree;

private:
    void Replay(const std::function<void()> &change, const TSelection &selection);

    IEditView *m_view;
    TSelection m_before;
    TSelection m_after;
    bool m_pushing = false;
};

// Insert: a new item as the last child of the node.
std::unique_ptr<TEditStep> InsertStep(const TEditContext &context, int parentAbsIndex);
// A batch import or pictures dropped on the tree: one item per picture at the end of
// the root's children (AppendImportedItems), as one step named `text`.
std::unique_ptr<TEditStep> ImportStep(const TEditContext &context, const QStringList &paths, const QString &text);
// Delete: the node with its subtree.
std::unique_ptr<TEditStep> DeleteStep(const TEditContext &context, int absIndex);
// Move Up and Move Down: the node past its previous or next sibling.
std::unique_ptr<TEditStep> MoveUpStep(const TEditContext &context, int absIndex);
std::unique_ptr<TEditStep> MoveDownStep(const TEditContext &context, int absIndex);
// A node dragged to another place (DropTarget).
std::unique_ptr<TEditStep> MoveStep(const TEditContext &context, int absIndex, const TMoveTarget &target);
// A value set to `text`. Steps of one value made in the same `session` (the window
// counts one while the focus and the selected node stay) merge into one, which goes
// away when the value is back where it started.
std::unique_ptr<TEditStep> ValueStep(const TEditContext &context, const QString &name, const TValueRef &value, const QString &text,
                                     int session);
// A node's caption (the item picture chooser renames the node).
std::unique_ptr<TEditStep> CaptionStep(const TEditContext &context, int absIndex, const QString &caption);
