// The item tree commands: the selection handling, Insert, Delete, Move Up and Move
// Down. What they do to tree and document together is in model/TreeEdits; these
// handlers add the questions, the item pane and the command refresh.
#include "ui/GUI.h"

#include "model/Error.h"
#include "model/TreeEdits.h"
#include "ui/ColorPanel.h"
#include "ui/PicturePreview.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QScopedValueRollback>

namespace {

const char *const kDeleteQuestion = "Are you sure to delete this item and all its children?";

} // namespace

void TMainForm::trvwDesignPanelChange()
{
    if (Loading)
        return;
    UpdatePaneLayout();
    // The pane goes back into the item it was showing. A node without an item (tree
    // and document out of step) neither takes nor gives values.
    const auto itemOf = [this](const QTreeWidgetItem *node) {
        const int index = trvwDesignPanel->AbsoluteIndex(node) - 1;
        return index >= 0 && size_t(index) < Document->Items.size() ? index : -1;
    };
    if (CurrentItemNode && itemOf(CurrentItemNode) >= 0)
        ReadItemPane(itemOf(CurrentItemNode));
    QTreeWidgetItem *selected = trvwDesignPanel->Selected();
    if (!selected || selected == trvwDesignPanel->Root())
        return;
    if (selected != CurrentItemNode) {
        CurrentItemNode = selected;
        if (itemOf(selected) >= 0)
            ShowItemPane(itemOf(selected));
    }
    UpdateItemCommands();
    spnedtApWidthChange();
    ShowImagePreview();
}

void TMainForm::trvwDesignPanelMouseDown()
{
    if (Loading || !trvwDesignPanel->Selected())
        return;
    UpdateItemCommands();
}

void TMainForm::CountDescendants(QTreeWidgetItem *node)
{
    const int index = trvwDesignPanel->AbsoluteIndex(node);
    if (index >= 0)
        DescendantCount += trvwDesignPanel->SubtreeSize(index) - 1;
}

void TMainForm::Insert1Click()
{
    MarkModified();
    QTreeWidgetItem *selected = trvwDesignPanel->Selected();
    if (selected) {
        RunStep(InsertStep(EditContext(), trvwDesignPanel->AbsoluteIndex(selected)));
        selected->setExpanded(true);
    }
    UpdateItemCommands();
}

void TMainForm::Delete1Click()
{
    MarkModified();
    const int selected = trvwDesignPanel->SelectedIndex();
    if (selected < 0)
        return;
    if (selected == 0) {
        m_prompts.Error(QString::fromLatin1(kRootDeleteMessage));
        return;
    }
    if (m_prompts.Warning(QString::fromLatin1(kDeleteQuestion), TWarningButtons::YesNo) != TAnswer::Yes)
        return;
    // The pane's values belong to no item any more. The tree then selects another
    // node and the selection handling runs for it once the subtree has gone.
    const TSelection before = Selection();
    QTreeWidgetItem *shown = CurrentItemNode;
    CurrentItemNode = nullptr;
    try {
        RunStep(DeleteStep(EditContext(), selected), before);
    } catch (const QmError &) {
        CurrentItemNode = shown; // refused before anything changed
        throw;
    }
    UpdateItemCommands();
}

void TMainForm::MoveUp1Click()
{
    MarkModified();
    const int selected = trvwDesignPanel->SelectedIndex();
    if (selected > 0) {
        // The moved node stays selected: the selection handling has nothing to do.
        const QScopedValueRollback<bool> quiet(Loading, true);
        RunStep(MoveUpStep(EditContext(), selected));
    }
    UpdateItemCommands();
}

void TMainForm::MoveDown1Click()
{
    MarkModified();
    const int selected = trvwDesignPanel->SelectedIndex();
    if (selected > 0) {
        const QScopedValueRollback<bool> quiet(Loading, true);
        RunStep(MoveDownStep(EditContext(), selected));
    }
    UpdateItemCommands();
}

void TMainForm::trvwDesignPanelDragDrop(int node, int target, TDropPlace place)
{
    const std::optional<TMoveTarget> to = DropTarget(*trvwDesignPanel, node, target, place);
    if (!to)
        return;
    QTreeWidgetItem *dragged = trvwDesignPanel->NodeAt(node);
    {
        // The dragged node stays selected, as a moved one does.
        const QScopedValueRollback<bool> quiet(Loading, true);
        RunStep(MoveStep(EditContext(), node, *to));
    }
    // Shown where it went, its new parent opened.
    trvwDesignPanel->scrollToItem(dragged);
    UpdateItemCommands();
}

void TMainForm::ShowImagePreview()
{
    const auto *edit = findChild<QLineEdit *>(QStringLiteral("edtOriginalImagePath"));
    const QString file = edit ? TrimText(edit->text()) : QString();
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        imgPreview->Clear();
        imgPreview->hide();
        return;
    }
    // Transparent parts of a GIF show the margin colour a build would give them.
    const auto *margin = findChild<TColorPanel *>(QStringLiteral("pnl_pThumbFillColor"));
    const TColor fill = margin ? margin->Color() : 0;
    // A picture that cannot be read shows why in its place, once, where it belongs.
    try {
        imgPreview->ShowPicture(file, fill);
    } catch (const QmError &error) {
        imgPreview->ShowProblem(error.message().section(QLatin1Char('\n'), 0, 0));
    }
    imgPreview->show();
}
