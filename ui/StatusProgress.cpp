#include "ui/StatusProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>

TStatusProgress::~TStatusProgress()
{
    SetBusy(false);
}

void TStatusProgress::SetMaximum(int maximum)
{
    m_bar->setMaximum(std::max(maximum, 1));
    m_bar->repaint();
}

void TStatusProgress::Step(int by)
{
    // A bar that was never set holds minimum - 1: it counts from the minimum.
    const int at = std::max(m_bar->value(), m_bar->minimum());
    m_bar->setValue(std::clamp(at + by, m_bar->minimum(), m_bar->maximum()));
}

void TStatusProgress::SetPosition(int position)
{
    m_bar->setValue(std::clamp(position, m_bar->minimum(), m_bar->maximum()));
}

void TStatusProgress::SetStage(const QString &text)
{
    m_hint->setText(text);
    m_hint->repaint();
}

void TStatusProgress::SetBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
