// quillmere-publish PROJECT_FILE [OUTPUT_FOLDER]: publishes a project without the editor.
#include "publish/HeadlessPublisher.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmere-publish"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return RunHeadlessPublisher(arguments, stdout, stderr, isatty(fileno(stderr)) != 0);
}
