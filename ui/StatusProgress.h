// The progress display of the main window: the hint line, progress bar and busy cursor
// of the status area.
#pragma once

#include "model/Seams.h"

class QLabel;
class QProgressBar;

// Both widgets repaint at once, since a long operation runs without returning to
// the event loop: the hint line at every stage, the bar whenever a step changes what
// it shows (the bar itself knows when; a save of 10,000 items takes 110,000 steps).
class TStatusProgress : public IProgress
{
public:
    TStatusProgress(QProgressBar *bar, QLabel *hint) : m_bar(bar), m_hint(hint) {}
    ~TStatusProgress() override;

    void SetMaximum(int maximum) override;
    void Step(int by) override;
    void SetPosition(int position) override;
    void SetStage(const QString &text) override;
    void SetBusy(bool busy) override;

private:
    QProgressBar *m_bar;
    QLabel *m_hint;
    bool m_busy = false;
};
