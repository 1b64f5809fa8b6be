// The editor's application object: an error that escapes any event handler is
// shown to the user in the error box, and the program goes on.
#pragma once

#include <QApplication>

#include <exception>

class IPrompts;
class QSocketNotifier;
class QWidget;

// The user's message of an error: its own text, or a general one for errors of
// unknown kind. Shown in the error box when prompts are given, else on standard
// error; a cancelled operation (TCancelled) is not shown at all.
QString ErrorMessage(std::exception_ptr error);
void ReportError(IPrompts *prompts, std::exception_ptr error);

class TApplication : public QApplication
{
    Q_OBJECT

public:
    TApplication(int &argc, char **argv);
    ~TApplication() override;

    // Where escaping errors are shown; without prompts they go to standard error.
    void SetPrompts(IPrompts *prompts) { m_prompts = prompts; }

    bool notify(QObject *receiver, QEvent *event) override;

    // A termination request from the system (SIGTERM, SIGINT, SIGHUP) closes
    // `window` the normal way, through its close query.
    void CloseOnTerminationRequest(QWidget *window);

    // Shows the message of the error being handled (call inside a catch block).
    void ShowCurrentError();

private:
    IPrompts *m_prompts = nullptr;
    QSocketNotifier *m_signalNotifier = nullptr;
};
