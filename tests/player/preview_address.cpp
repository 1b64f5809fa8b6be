// The editor's preview without a screen, for the browser test: opens a project in the
// main window, runs the preview command, prints the address handed to the browser and
// keeps serving it until killed, or for at most the given number of seconds.
//
//   qm_preview_address PROJECT [SECONDS]
#include "ui/GUI.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: qm_preview_address PROJECT [SECONDS]\n");
        return 2;
    }
    const int seconds = arguments.size() > 2 ? arguments.at(2).toInt() : 120;

    TScriptedPrompts prompts;
    TMainForm form(prompts);
    form.Guarded([&] { form.OpenProjectFile(arguments.at(1)); });
    form.Guarded([&] { form.Preview1Click(); });
    if (prompts.opened.size() != 1 || !prompts.messages.isEmpty()) {
        std::fprintf(stderr, "preview failed:\n%s\n", qPrintable(prompts.calls.join(QLatin1Char('\n'))));
        return 1;
    }
    std::printf("%s\n", qPrintable(prompts.opened.first()));
    std::fflush(stdout);

    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
