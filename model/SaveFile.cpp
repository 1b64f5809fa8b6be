#include "model/SaveFile.h"

#include "model/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <climits>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

const char *const kUnreadableName = "Its name is not valid in the system's encoding, so it cannot be read. "
                                    "Please rename it.";

namespace {

WriteFault &InjectedFault()
{
    static WriteFault fault;
    return fault;
}

int Injected(const QString &path, WriteStep step)
{
    const WriteFault &fault = InjectedFault();
    return fault ? fault(path, step) : 0;
}

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The device's reason for its last failure. Qt has no text of its own for a write
// the system cut short without an error; that is said plainly instead.
QString Reason(const QFileDevice &file)
{
    const QString reason = file.errorString();
    if (file.error() == QFileDevice::NoError || reason.isEmpty() || reason == QLatin1String("Unknown error"))
        return QStringLiteral("The file could not be written to the end.");
    return reason;
}

QmError Failure(const char *what, const QString &path, const QString &reason)
{
    return QmError(QStringLiteral("%1 \"%2\". %3").arg(QLatin1String(what), Native(path), reason));
}

// A new file that replaces `path` only when Commit() runs; until then, and when
// anything fails, the previous file stays as it was.
class AtomicFile
{
public:
    explicit AtomicFile(const QString &path) : m_path(path), m_file(path)
    {
        // QSaveFile writes through a link into its target; the link itself is replaced instead.
        if (QFileInfo(path).isSymbolicLink() && !QFile::remove(path))
            throw Failure("Cannot replace the link", path, QStringLiteral("It cannot be removed."));
        // Never fall back to writing over the old file in place: a failure must leave it intact.
        m_file.setDirectWriteFallback(false);
        // Unbuffered, so that every write reaches the system at once and its failure is
        // seen here: a buffered write that only fails when flushed is committed all the same.
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            throw Failure("Cannot create file", path, IsUnreadableName(path) ? QString::fromLatin1(kUnreadableName) : Reason(m_file));
    }

    void Write(const char *data, qint64 size)
    {
        // The system may take part of a write when the disk fills; the rest is offered
        // again, and only then does the system say why it stopped.
        while (size > 0) {
            if (const int code = Injected(m_path, WriteStep::Write))
                throw Failure("Cannot write file", m_path, qt_error_string(code));
            const qint64 written = m_file.write(data, size);
            if (written <= 0)
                throw Failure("Cannot write file", m_path, Reason(m_file));
            data += written;
            size -= written;
        }
    }

    void Commit()
    {
        if (const int code = Injected(m_path, WriteStep::Commit))
            throw Failure("Cannot save file", m_path, qt_error_string(code));
        if (!m_file.commit())
            throw Failure("Cannot save file", m_path, Reason(m_file));
    }

private:
    QString m_path;
    QSaveFile m_file;
};

} // namespace

void SaveWholeFile(const QString &path, const QByteArray &data)
{
    AtomicFile file(path);
    file.Write(data.constData(), data.size());
    file.Commit();
}

bool CopyWholeFile(const QString &from, const QString &to)
{
    // A folder, pipe or device is not copied: opening a pipe could wait forever.
    if (!QFileInfo(from).isFile())
        return false;
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    AtomicFile target(to);
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 read = source.read(chunk.data(), chunk.size());
        if (read < 0)
            return false;
        if (read == 0)
            break;
        target.Write(chunk.constData(), read);
    }
    target.Commit();
    return true;
}

QByteArray TextFileBytes(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines) {
        out += line.toLocal8Bit();
        out += "\r\n";
    }
    return out;
}

void SaveTextFile(const QString &path, const QStringList &lines)
{
    SaveWholeFile(path, TextFileBytes(lines));
}

int MaxFileNameBytes(const QString &folder)
{
    constexpr int kUsual = 255;
#ifdef Q_OS_UNIX
    QString existing = QFileInfo(folder).absoluteFilePath();
    while (!QFileInfo(existing).isDir()) {
        const QString parent = QFileInfo(existing).absolutePath();
        if (parent == existing)
            return kUsual;
        existing = parent;
    }
    const long limit = ::pathconf(QFile::encodeName(existing).constData(), _PC_NAME_MAX);
    return limit > 0 ? int(std::min<long>(limit, INT_MAX)) : kUsual;
#else
    Q_UNUSED(folder);
    return kUsual;
#endif
}

int FileNameBytes(const QString &name)
{
    return int(QFile::encodeName(name).size());
}

bool IsUnreadableName(const QString &path)
{
    return path.contains(QChar(QChar::ReplacementCharacter)) && !QFileInfo::exists(path);
}

void SetWriteFault(WriteFault fault)
{
    InjectedFault() = std::move(fault);
}
