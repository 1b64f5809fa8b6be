#include "ui/StatusProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {

// Escape and the title bar's close button ask to cancel, as the button does; the
// dialog itself stays until the operation has stopped.
class TProgressDialog : public QDialog
{
public:
    // A title and a close button: nothing to make larger or smaller.
    TProgressDialog(QWidget *parent, std::function<void()> cancel)
        : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
          m_cancel(std::move(cancel))
    {}

    void reject() override { m_cancel(); }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->ignore();
        m_cancel();
    }

private:
    std::function<void()> m_cancel;
};

} // namespace

TStatusProgress::TStatusProgress(QProgressBar *bar, QLabel *hint, QWidget *window) : m_bar(bar), m_hint(hint), m_window(window)
{
    m_dialogTimer.setSingleShot(true);
    m_dialogTimer.setInterval(kDialogDelay);
    QObject::connect(&m_dialogTimer, &QTimer::timeout, [this] { ShowDialog(); });
}

TStatusProgress::~TStatusProgress()
{
    delete m_dialog;
    SetBusy(false);
}

void TStatusProgress::SetMaximum(int maximum)
{
    m_bar->setMaximum(std::max(maximum, 1));
    m_bar->repaint();
    UpdateDialog();
}

void TStatusProgress::Step(int by)
{
    // A bar that was never set holds minimum - 1: it counts from the minimum.
    const int at = std::max(m_bar->value(), m_bar->minimum());
    m_bar->setValue(std::clamp(at + by, m_bar->minimum(), m_bar->maximum()));
    UpdateDialog();
    // Every loop that counts its steps keeps the window answering.
    KeepAlive();
}

void TStatusProgress::SetPosition(int position)
{
    m_bar->setValue(std::clamp(position, m_bar->minimum(), m_bar->maximum()));
    UpdateDialog();
}

void TStatusProgress::SetStage(const QString &text)
{
    m_hint->setText(text);
    m_hint->repaint();
    // The dialog keeps the stage it shows while the status is emptied between stages.
    if (!text.isEmpty() && text != m_stage) {
        m_stage = text;
        m_total = 0;
        UpdateDialog();
    }
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

void TStatusProgress::SetCount(int done, int total)
{
    m_done = done;
    m_total = total;
    UpdateDialog();
}

void TStatusProgress::KeepAlive()
{
    if (Running() && m_sinceEvents.elapsed() >= kKeepAliveEvery)
        RunEvents(0);
}

void TStatusProgress::Pause(int milliseconds)
{
    if (Running())
        RunEvents(milliseconds);
    else
        IProgress::Pause(milliseconds);
}

void TStatusProgress::Begin()
{
    if (m_depth++ > 0)
        return;
    m_cancelled = false;
    m_stage.clear();
    m_total = 0;
    m_sinceEvents.start();
    m_dialogTimer.start();
}

void TStatusProgress::End()
{
    if (--m_depth > 0)
        return;
    m_dialogTimer.stop();
    delete m_dialog;
    m_cancelled = false;
}

void TStatusProgress::Cancel()
{
    if (!Running())
        return;
    m_cancelled = true;
    if (m_dialog) {
        m_cancelButton->setEnabled(false);
        m_cancelButton->setText(QStringLiteral("Cancelling ..."));
    }
}

void TStatusProgress::RunEvents(int milliseconds)
{
    // Until the dialog blocks the window, input to the window waits for the end of
    // the operation; the dialog itself needs it for its Cancel button.
    const QEventLoop::ProcessEventsFlags flags =
        m_dialog && m_dialog->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
    if (milliseconds <= 0) {
        QCoreApplication::processEvents(flags);
    } else {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec(flags);
    }
    m_sinceEvents.restart();
}

void TStatusProgress::ShowDialog()
{
    if (!Running() || m_dialog)
        return;
    auto *dialog = new TProgressDialog(m_window, [this] { Cancel(); });
    dialog->setObjectName(QStringLiteral("dlgProgress"));
    dialog->setWindowTitle(m_window ? m_window->windowTitle() : QString());
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumWidth(380);
    auto *layout = new QVBoxLayout(dialog);
    m_dialogStage = new QLabel(dialog);
    m_dialogStage->setObjectName(QStringLiteral("lblStage"));
    m_dialogBar = new QProgressBar(dialog);
    m_dialogBar->setObjectName(QStringLiteral("prgrsbrOperation"));
    m_dialogBar->setTextVisible(false);
    m_dialogCount = new QLabel(dialog);
    m_dialogCount->setObjectName(QStringLiteral("lblCount"));
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), dialog);
    m_cancelButton->setObjectName(QStringLiteral("btnCancel"));
    m_cancelButton->setDefault(true);
    QObject::connect(m_cancelButton, &QPushButton::clicked, [this] { Cancel(); });
    layout->addWidget(m_dialogStage);
    layout->addWidget(m_dialogBar);
    layout->addWidget(m_dialogCount);
    layout->addWidget(m_cancelButton, 0, Qt::AlignRight);
    m_dialog = dialog;
    if (m_cancelled)
        Cancel();
    UpdateDialog();
    dialog->show();
}

void TStatusProgress::UpdateDialog()
{
    if (!m_dialog)
        return;
    m_dialogStage->setText(m_stage);
    m_dialogCount->setText(m_total > 0 ? QStringLiteral("%1 of %2").arg(m_done).arg(m_total) : QString());
    // The stage's own count where it has one, else the status bar's.
    if (m_total > 0) {
        m_dialogBar->setRange(0, m_total);
        m_dialogBar->setValue(std::clamp(m_done, 0, m_total));
    } else {
        m_dialogBar->setRange(m_bar->minimum(), m_bar->maximum());
        m_dialogBar->setValue(m_bar->value());
    }
}
