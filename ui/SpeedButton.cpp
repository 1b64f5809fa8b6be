#include "ui/SpeedButton.h"

#include <QKeyEvent>

bool IsEnterKey(const QKeyEvent *event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

TSpeedButton::TSpeedButton(QWidget *parent, Qt::FocusPolicy focus) : QToolButton(parent)
{
    setFocusPolicy(focus);
}

void TSpeedButton::keyPressEvent(QKeyEvent *event)
{
    if (IsEnterKey(event) && isEnabled()) {
        click();
        return;
    }
    QToolButton::keyPressEvent(event);
}
