// The window for keyboard and screen reader users: the names of the controls that
// show no text of their own, the tab order of each sheet, Ctrl+Tab between the
// sheets and the tree's pop-up menu from the keyboard.
#include "ui/GUI.h"

#include "platform/CheckGroupBox.h"
#include "ui/ControlTables.h"
#include "ui/GUIShared.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

// The caption of the group a control sits in: its title, or the text of the check
// box that heads a check group box.
QString GroupCaption(const QWidget *control)
{
    for (const QWidget *w = control->parentWidget(); w; w = w->parentWidget()) {
        if (const auto *checkGroup = qobject_cast<const TCheckGroupBox *>(w)) {
            if (const auto *check = qobject_cast<const QAbstractButton *>(checkGroup->CheckComponent()))
                return ShownCaption(check->text());
        }
        if (const auto *group = qobject_cast<const QGroupBox *>(w))
            return ShownCaption(group->title());
    }
    return QString();
}

// The first control of `sheet` that Tab stops at after `from`, or nullptr.
QWidget *FirstTabStop(QWidget *from, QWidget *sheet)
{
    for (QWidget *w = from->nextInFocusChain(); w != from; w = w->nextInFocusChain())
        if (sheet->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->isVisibleTo(sheet) && w->isEnabled())
            return w;
    return nullptr;
}

} // namespace

void TMainForm::BuildKeyboardAccess()
{
    // A group headed by a check box shows no title of its own: it is called by its check box.
    for (TCheckGroupBox *group : findChildren<TCheckGroupBox *>())
        if (const auto *check = qobject_cast<const QAbstractButton *>(group->CheckComponent()))
            group->setAccessibleName(ShownCaption(check->text()));
    // "Help: General", "Help: Autoplay", ...
    for (QToolButton *button : findChildren<QToolButton *>())
        if (button->property("Tag").isValid())
            button->setAccessibleName(QStringLiteral("Help: ") + GroupCaption(button));
    // The tool bar is called as the View menu calls it.
    tlbr1->setWindowTitle(ShownCaption(ToolBar1->text()));

    // Tab goes from the tree to the sheet tabs and on through the shown sheet in
    // reading order; the controls of hidden sheets are passed over.
    QWidget *previous = pgcntrl1->tabBar();
    const auto chain = [&](const auto &order) {
        for (const char *name : order) {
            QWidget *control = findChild<QWidget *>(QLatin1String(name));
            Q_ASSERT(control);
            QWidget::setTabOrder(previous, control);
            previous = control;
        }
    };
    chain(kScriptSheetOrder);
    chain(kItemSheetOrder);
    chain(kPathSheetOrder);

    // Ctrl+Tab and Ctrl+Shift+Tab turn the sheets wherever the focus is in the window.
    auto *next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(next, &QShortcut::activated, this, [this] { ShowNextSheet(1); });
    auto *back = new QShortcut(this);
    back->setKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
    connect(back, &QShortcut::activated, this, [this] { ShowNextSheet(-1); });

    trvwDesignPanel->installEventFilter(this);
    // The item commands' keys act only while the focus is in the tree, so that the
    // fields of the panes keep Delete, Insert and Alt with the arrows. The pop-up
    // shows the same keys.
    for (QAction *command : {Insert1, Delete1, MoveUp1, MoveDown1, Insert2, Delete2, MoveUp2, MoveDown2})
        command->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    trvwDesignPanel->addActions({Insert2, Delete2, MoveUp2, MoveDown2});
    // The window opens with the keyboard in the tree, where the work starts.
    trvwDesignPanel->setFocus();
}

void TMainForm::ShowNextSheet(int step)
{
    const int count = pgcntrl1->count();
    const int current = pgcntrl1->currentIndex();
    int index = current;
    for (int n = 0; n < count; ++n) {
        index = ((index + step) % count + count) % count;
        if (pgcntrl1->isTabVisible(index) && pgcntrl1->isTabEnabled(index))
            break;
    }
    if (index == current)
        return;
    // Focus inside the sheet being left moves to the first control of the new one.
    QWidget *focus = focusWidget();
    const bool focusInSheet = focus && pgcntrl1->widget(current)->isAncestorOf(focus);
    pgcntrl1->setCurrentIndex(index);
    if (focusInSheet)
        if (QWidget *first = FirstTabStop(pgcntrl1->tabBar(), pgcntrl1->widget(index)))
            first->setFocus(Qt::TabFocusReason);
}

bool TMainForm::TreePopupKey(QEvent *event)
{
    bool popupKey = false;
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        popupKey = (key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier) ||
                   (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
    } else if (event->type() == QEvent::ContextMenu) {
        // The platform's own pop-up request from the keyboard, placed at the pointer:
        // it opens at the selected node instead.
        popupKey = static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard;
    }
    if (popupKey)
        ShowTreePopup();
    return popupKey;
}

void TMainForm::ShowTreePopup()
{
    QPoint at;
    if (QTreeWidgetItem *node = trvwDesignPanel->currentItem()) {
        trvwDesignPanel->scrollToItem(node);
        const QRect box = trvwDesignPanel->visualItemRect(node);
        at = QPoint(box.left() + box.height(), box.bottom());
    }
    PopupMenu1->popup(trvwDesignPanel->viewport()->mapToGlobal(at));
}
