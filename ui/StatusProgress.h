// The progress display of the main window: the hint line, progress bar and busy
// cursor of the status area, and while a long operation runs the window-modal
// progress dialog with its Cancel button.
#pragma once

#include "model/Seams.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

// Both widgets repaint at once at every stage, since work outside a long operation
// runs without returning to the event loop; the bar repaints whenever a step changes
// what it shows (the bar itself knows when; a save of 10,000 items takes 110,000 steps).
//
// A long operation runs between Begin and End. Meanwhile the event loop runs at
// every step, KeepAlive and Pause, so the window repaints; after kDialogDelay the
// progress dialog appears with the stage text, "n of N" and Cancel, and blocks the
// window until the operation ends. Until then input to the window waits for the end,
// so a quick operation neither flashes a dialog nor lets a click in between.
class TStatusProgress : public IProgress
{
public:
    static constexpr int kDialogDelay = 500; // ms
    // The event loop runs at least this often (ms) while an operation checks in.
    static constexpr int kKeepAliveEvery = 15;

    TStatusProgress(QProgressBar *bar, QLabel *hint, QWidget *window);
    ~TStatusProgress() override;

    void SetMaximum(int maximum) override;
    void Step(int by) override;
    void SetPosition(int position) override;
    void SetStage(const QString &text) override;
    void SetBusy(bool busy) override;
    void SetCount(int done, int total) override;
    void KeepAlive() override;
    bool Cancelled() const override { return m_cancelled; }
    void Pause(int milliseconds) override;

    // Operations may nest; the outermost one decides when the dialog goes.
    void Begin();
    void End();
    bool Running() const { return m_depth > 0; }
    // What the dialog's Cancel button (or Escape, or closing it) does.
    void Cancel();
    // The dialog while it is shown, else nullptr.
    QDialog *Dialog() const { return m_dialog; }

private:
    void ShowDialog();
    void RunEvents(int milliseconds);
    void UpdateDialog();

    QProgressBar *m_bar;
    QLabel *m_hint;
    QWidget *m_window;
    bool m_busy = false;

    int m_depth = 0;
    bool m_cancelled = false;
    QTimer m_dialogTimer;
    QElapsedTimer m_sinceEvents;
    QString m_stage; // the latest stage text that was not empty
    int m_done = 0, m_total = 0;
    QPointer<QDialog> m_dialog;
    QLabel *m_dialogStage = nullptr;
    QLabel *m_dialogCount = nullptr;
    QProgressBar *m_dialogBar = nullptr;
    QPushButton *m_cancelButton = nullptr;
};

// Begin and End of a long operation, also when it ends by an error or by Cancel.
class TLongOperation
{
public:
    explicit TLongOperation(TStatusProgress &progress) : m_progress(progress) { m_progress.Begin(); }
    ~TLongOperation() { m_progress.End(); }
    TLongOperation(const TLongOperation &) = delete;
    TLongOperation &operator=(const TLongOperation &) = delete;

private:
    TStatusProgress &m_progress;
};
