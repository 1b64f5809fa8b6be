// Undo and Redo: the steps every change of document and tree makes (model/undo), the
// values the user sets in the panes becoming steps, and the window brought back to
// the selection and pane values of each step when it is undone or redone.
#include "ui/GUI.h"

#include "model/Catalogue.h"
#include "ui/ColorPanel.h"
#include "ui/GUIShared.h"
#include "ui/PaneCodec.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QUndoStack>

namespace {

// What a value is called in the step's name: the label tied to its control, the
// text of a check box or radio button, or a swatch's caption.
QString ValueName(const QWidget *control)
{
    for (const QLabel *label : control->window()->findChildren<QLabel *>())
        if (label->buddy() == control)
            return ShownCaption(label->text());
    if (const auto *swatch = qobject_cast<const TColorPanel *>(control))
        return swatch->Caption() + QStringLiteral(" Color");
    if (const auto *button = qobject_cast<const QAbstractButton *>(control); button && !button->text().isEmpty())
        return ShownCaption(button->text());
    return control->accessibleName();
}

// Takes the undo and redo keys from a text field before the field's own undo does.
class TUndoKeys : public QObject
{
public:
    TUndoKeys(const QList<QAction *> &actions, QObject *parent) : QObject(parent), m_actions(actions) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
            for (const QAction *action : m_actions) {
                if (action->shortcuts().contains(pressed)) {
                    // Left unclaimed, the key goes to the window's Undo or Redo.
                    event->ignore();
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QList<QAction *> m_actions;
};

} // namespace

void TMainForm::RunStep(std::unique_ptr<TEditStep> step)
{
    RunStep(std::move(step), Selection());
}

void TMainForm::RunStep(std::unique_ptr<TEditStep> step, const TSelection &before)
{
    if (step->Do(before))
        m_undo->push(step.release());
}

void TMainForm::Undo1Click()
{
    m_undo->undo();
}

void TMainForm::Redo1Click()
{
    m_undo->redo();
}

TSelection TMainForm::Selection() const
{
    return {trvwDesignPanel->SelectedIndex(), trvwDesignPanel->AbsoluteIndex(CurrentItemNode)};
}

int TMainForm::ShownItem() const
{
    const int index = trvwDesignPanel->AbsoluteIndex(CurrentItemNode) - 1;
    return index >= 0 && size_t(index) < Document->Items.size() ? index : -1;
}

void TMainForm::Replay(const std::function<void()> &change, const TSelection &selection, const TValueRef *value)
{
    ++m_typingSession;
    auto *pathEdit = findChild<QLineEdit *>(QStringLiteral("edtOriginalImagePath"));
    const TSelection before = Selection();
    const QString pictureBefore = pathEdit->text();
    const int nodesBefore = trvwDesignPanel->NodeCount();
    {
        // The step has put everything in its place: the tree's own notifications
        // have nothing to do.
        const QScopedValueRollback<bool> quiet(Loading, true);
        change();
        if (QTreeWidgetItem *node = trvwDesignPanel->NodeAt(selection.selected))
            trvwDesignPanel->setCurrentItem(node);
    }
    CurrentItemNode = trvwDesignPanel->NodeAt(selection.shown);
    // Every value the user set is in the document already: the pane is shown from it.
    if (ShownItem() >= 0)
        ShowItemPane(ShownItem());
    QWidget *control = nullptr;
    if (value) {
        control = findChild<QWidget *>(QLatin1String(ValueControl(*value)));
        if (value->item < 0 && control) {
            const QScopedValueRollback<bool> filling(m_fillingPane, true);
            ValueToControl(ValueOf(*Document, *value), control, ValueMode(*value));
        }
    }
    UpdateItemCommands();
    // The sheet of the value undone or redone comes to the front.
    for (int tab = 0; control && tab < pgcntrl1->count(); ++tab)
        if (pgcntrl1->isTabVisible(tab) && pgcntrl1->widget(tab)->isAncestorOf(control))
            pgcntrl1->setCurrentIndex(tab);
    if (ShownItem() >= 0 && (Selection().shown != before.shown || pathEdit->text() != pictureBefore))
        ShowImagePreview();
    if (QTreeWidgetItem *node = trvwDesignPanel->Selected()) {
        // A subtree that came back opens, as its parent does.
        if (trvwDesignPanel->NodeCount() > nodesBefore)
            node->setExpanded(true);
        trvwDesignPanel->scrollToItem(node);
    }
}

void TMainForm::RecordPaneValue(int owner, int position, int mode, const QWidget *control)
{
    if (m_fillingPane)
        return;
    const bool gallery = owner != TValueRef::kShownItem;
    const TValueRef value{gallery ? owner : ShownItem(), position};
    if (!gallery && value.item < 0)
        return; // no item shown: the pane keeps the value, as it always did
    QString text = ValueOf(*Document, value);
    ControlToValue(control, mode, text);
    RecordValue(value, text, ValueName(control));
}

void TMainForm::RecordValue(const TValueRef &value, const QString &text, const QString &name)
{
    if (ValueOf(*Document, value) != text)
        RunStep(ValueStep(EditContext(), QStringLiteral("Change ") + name, value, text, m_typingSession));
}

void TMainForm::ConnectUndo()
{
    // Modified follows the stack when it moves; the commands that change nothing still
    // set it through MarkModified.
    const auto followStack = [this] {
        if (m_undo->isClean())
            ClearModified();
        else
            MarkModified();
    };
    connect(m_undo, &QUndoStack::indexChanged, this, followStack);
    connect(m_undo, &QUndoStack::cleanChanged, this, followStack);
    // Through Guarded, like every other command, and never while a long operation runs.
    disconnect(Undo1, &QAction::triggered, m_undo, nullptr);
    disconnect(Redo1, &QAction::triggered, m_undo, nullptr);
    connect(Undo1, &QAction::triggered, this, [this] {
        if (!Busy())
            Guarded([this] { Undo1Click(); });
    });
    connect(Redo1, &QAction::triggered, this, [this] {
        if (!Busy())
            Guarded([this] { Redo1Click(); });
    });

    // Typing into one field is one step until the focus or the selected node moves.
    connect(qApp, &QApplication::focusChanged, this, [this] { ++m_typingSession; });
    connect(trvwDesignPanel, &QTreeWidget::currentItemChanged, this, [this] { ++m_typingSession; });

    auto *keys = new TUndoKeys({Undo1, Redo1}, this);
    const auto takeKeys = [&](const char *name) {
        if (QWidget *control = *name ? findChild<QWidget *>(QLatin1String(name)) : nullptr) {
            control->installEventFilter(keys);
            for (QWidget *part : control->findChildren<QWidget *>())
                part->installEventFilter(keys);
        }
    };
    for (const AppletParam &p : kAppletCatalogue)
        takeKeys(p.control);
    for (const ItemParam &p : kItemCatalogue)
        takeKeys(p.control);
}
