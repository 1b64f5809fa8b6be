// Any input read as a project file either loads, is set aside or raises QmError,
// and keeps every promise of project_check.h: never a crash, a hang or a leak.
#include "project_check.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// One folder per process, in memory where the system offers it: the reader takes a
// path, so every input is written to the same file there.
const QTemporaryDir &Scratch()
{
    static const QTemporaryDir dir = [] {
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
        return QTemporaryDir(base + QStringLiteral("/qm-fuzz-project-XXXXXX"));
    }();
    if (!dir.isValid()) {
        std::fprintf(stderr, "no scratch folder: %s\n", qPrintable(dir.errorString()));
        std::abort();
    }
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString input = Scratch().filePath(QStringLiteral("input.qmreel1"));
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        std::abort();
    file.close();

    const ProjectReadCheck check = CheckProjectRead(input, Scratch().filePath(QStringLiteral("saved.qmreel1")));
    if (!check.fault.isEmpty()) {
        std::fprintf(stderr, "project reader fault: %s\n", qPrintable(check.fault));
        __builtin_trap();
    }
    return 0;
}
