#include "ui/ColorPanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

TColorPanel::TColorPanel(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::NoFrame);
    setContentsMargins(2, 2, 2, 2);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(22, 22);
}

void TColorPanel::SetColor(TColor color)
{
    m_color = color & 0x00FFFFFF;
    update();
}

void TColorPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor colour(int(m_color & 0xFF), int((m_color >> 8) & 0xFF), int((m_color >> 16) & 0xFF));
    const QBrush fill(isEnabled() ? colour : colour.lighter(140));
    // A lowered outer bevel around a raised inner one, the colour filling the rest.
    qDrawShadePanel(&painter, rect(), palette(), true, 1);
    qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1, &fill);
}

void TColorPanel::mouseReleaseEvent(QMouseEvent *event)
{
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}
