// The small flat buttons of the panes (help books and browse folders) and of the
// tool bar, usable from the keyboard: Space presses them as any button, and so
// does Enter.
#pragma once

#include <QToolButton>

class QKeyEvent;

// Return or the keypad's Enter, without Shift, Ctrl or Alt.
bool IsEnterKey(const QKeyEvent *event);

class TSpeedButton : public QToolButton
{
    Q_OBJECT

public:
    // Tab and a click give the button focus; a tool bar button passes Qt::TabFocus,
    // so that clicking it leaves the focus in the field being edited.
    explicit TSpeedButton(QWidget *parent = nullptr, Qt::FocusPolicy focus = Qt::StrongFocus);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
