// The editor's application object: an error that escapes any event handler is
// shown to the user in the error box, and the program goes on.
#pragma once

#include <QApplication>

class IPrompts;
class QSocketNotifier;
class QWidget;

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
