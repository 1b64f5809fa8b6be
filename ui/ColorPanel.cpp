#include "ui/ColorPanel.h"

#include "ui/SpeedButton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

TColorPanel::TColorPanel(QWidget *parent) : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(22, 22);
    UpdateName();
}

void TColorPanel::SetColor(TColor color)
{
    const TColor before = m_color;
    m_color = color & 0x00FFFFFF;
    UpdateName();
    update();
    if (m_color != before)
        Q_EMIT ColorChanged();
}

void TColorPanel::SetCaption(const QString &caption)
{
    m_caption = caption;
    UpdateName();
}

void TColorPanel::UpdateName()
{
    const QString value = ColorToHex(m_color);
    setAccessibleName(m_caption.isEmpty() ? value : m_caption + QStringLiteral(": ") + value);
}

void TColorPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor colour(int(m_color & 0xFF), int((m_color >> 8) & 0xFF), int((m_color >> 16) & 0xFF));
    const QBrush fill(isEnabled() ? colour : colour.lighter(140));
    // A lowered outer bevel around a raised inner one, the colour filling the rest;
    // pressed, the inner bevel is lowered too.
    qDrawShadePanel(&painter, rect(), palette(), true, 1);
    qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), isDown(), 1, &fill);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        focus.backgroundColor = colour;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void TColorPanel::keyPressEvent(QKeyEvent *event)
{
    // Space is the button's own key; Enter chooses the colour as well.
    if (IsEnterKey(event)) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
