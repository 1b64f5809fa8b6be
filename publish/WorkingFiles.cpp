#include "publish/WorkingFiles.h"

#include "model/SaveFile.h"
#include "model/TextUtils.h"
#include "publish/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Whether the two plain files hold the same bytes.
bool SameBytes(const QFileInfo &one, const QFileInfo &other)
{
    if (!one.isFile() || !other.isFile() || one.size() != other.size())
        return false;
    QFile a(one.filePath()), b(other.filePath());
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly))
        return false;
    for (;;) {
        const QByteArray chunk = a.read(1 << 16);
        if (chunk != b.read(1 << 16))
            return false;
        if (chunk.isEmpty())
            return a.atEnd() && b.atEnd();
    }
}

} // namespace

void CopyFileOver(const QString &from, const QString &to)
{
    const QFileInfo source(from);
    if (!source.isFile())
        return;
    // The same file needs no copy; a link of the destination's name is replaced, wherever it points.
    const QFileInfo target(to);
    if (!target.isSymbolicLink() && target.exists() && source.canonicalFilePath() == target.canonicalFilePath())
        return;
    // Nor does a destination that already holds the same bytes: a build that changed
    // nothing leaves the published files alone, times and all.
    if (!target.isSymbolicLink() && SameBytes(source, target))
        return;
    // Written beside the destination and renamed over it, so a failing copy never
    // leaves a half file; a destination that cannot be written (a full disk) is an error.
    CopyWholeFile(from, to);
}

namespace {

// Puts `from` in the place of `to`, replacing a file or a link of that name (never
// writing through the link). False when that fails; `from` is then left as it was.
bool MoveOver(const QString &from, const QString &to)
{
    if (QFileInfo(to).isSymLink() || QFileInfo(to).isFile())
        QFile::remove(to);
    return QFile::rename(from, to);
}

// The working folders only ever hold copies made again by every build, so a picture
// is written beside its place and renamed into it whole, but not flushed to the disk.
// False when anything fails; nothing of it is left then.
bool WriteScratchFile(const QString &path, const QByteArray &bytes)
{
    // Made new (never through a link of that name), with the permissions any new file gets.
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    QFile file(partial);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (written && file.error() == QFileDevice::NoError && MoveOver(partial, path))
        return true;
    QFile::remove(partial);
    return false;
}

} // namespace

TStagedPictures::~TStagedPictures()
{
    for (const QString &name : std::as_const(m_names))
        QFile::remove(m_folder + name);
}

void TStagedPictures::Write(const QString &fileName, const QByteArray &bytes)
{
    if (m_folder.isEmpty())
        m_folder = TempFolder();
    m_names << fileName;
    // Only when the quick way fails, the careful one, which says why.
    if (!WriteScratchFile(m_folder + fileName, bytes))
        SaveWholeFile(m_folder + fileName, bytes);
}

void TStagedPictures::Place(TAppletAgent &document, IProgress &progress)
{
    const QString preview = m_names.isEmpty() ? QString() : PreviewFolder();
    for (const QString &name : std::as_const(m_names)) {
        progress.KeepAlive();
        if (MoveOver(m_folder + name, preview + name))
            document.WorkingFiles << name;
        else
            AddWorkingFile(document, m_folder + name); // copied, with the copy's failures
    }
}

void AddWorkingFile(TAppletAgent &document, const QString &path)
{
    const QString name = ExtractFileName(path);
    const QString target = PreviewFolder() + name;
    if (TrimText(path).toLower() != TrimText(target).toLower())
        CopyFileOver(path, target);
    document.WorkingFiles << name;
}

void CleanupWorkingFiles(TAppletAgent &document)
{
    const QString preview = PreviewFolder();
    for (const QString &name : std::as_const(document.WorkingFiles))
        if (QFileInfo::exists(preview + name))
            QFile::remove(preview + name);
    document.WorkingFiles.clear();
    QDir().rmdir(preview);
}
