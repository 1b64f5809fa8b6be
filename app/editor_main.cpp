// The editor: the application, its main window, the project named on the command
// line, and the event loop until the window closes.
#include "ui/Application.h"
#include "ui/GUI.h"
#include "ui/Prompts.h"

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TWidgetPrompts prompts;
    app.SetPrompts(&prompts);

    TMainForm form(prompts);
    prompts.SetOwner(&form);
    form.show();
    app.CloseOnTerminationRequest(&form);

    form.OpenCommandLineProject(JoinCommandLine(app.arguments().mid(1)));
    return app.exec();
}
