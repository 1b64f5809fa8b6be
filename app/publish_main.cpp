// quillmere-publish PROJECT_FILE [OUTPUT_FOLDER]: publishes a project without the editor.
#include "model/Product.h"
#include "publish/HeadlessPublisher.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#define QM_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define QM_ISATTY(f) isatty(fileno(f))
#endif

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(kPublisherProgram));
    QCoreApplication::setApplicationVersion(ProductVersion());

    // The publisher keeps its working files in a private folder that goes with it, so a
    // run never touches the preview folder of an editor open at the same time.
    QTemporaryDir work;
    if (work.isValid()) {
#ifdef Q_OS_WIN
        qputenv("APPDATA", QDir::toNativeSeparators(work.path()).toLocal8Bit());
#else
        qputenv("XDG_DATA_HOME", work.path().toLocal8Bit());
#endif
    }

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return RunHeadlessPublisher(arguments, stdout, stderr, QM_ISATTY(stderr) != 0);
}
