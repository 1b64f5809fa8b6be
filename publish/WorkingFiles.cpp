#include "publish/WorkingFiles.h"

#include "model/SaveFile.h"
#include "model/TextUtils.h"
#include "publish/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void CopyFileOver(const QString &from, const QString &to)
{
    const QFileInfo source(from);
    if (!source.isFile())
        return;
    // The same file needs no copy; a link of the destination's name is replaced, wherever it points.
    const QFileInfo target(to);
    if (!target.isSymbolicLink() && target.exists() && source.canonicalFilePath() == target.canonicalFilePath())
        return;
    // Written beside the destination and renamed over it, so a failing copy never
    // leaves a half file; a destination that cannot be written (a full disk) is an error.
    CopyWholeFile(from, to);
}

namespace {

// The preview folder only ever holds copies made again by every build, so a picture
// placed there is renamed into place whole, replacing an older one (or a link of
// that name, never written through), but not flushed to the disk. False when
// anything fails; nothing of it is left then.
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
    if (written && file.error() == QFileDevice::NoError) {
        if (QFileInfo(path).isSymLink() || QFileInfo(path).isFile())
            QFile::remove(path);
        if (QFile::rename(partial, path))
            return true;
    }
    QFile::remove(partial);
    return false;
}

} // namespace

void PlaceGeneratedPicture(TAppletAgent &document, const QString &fileName, const QByteArray &bytes)
{
    // Written straight into the preview folder, where the temporary copy would
    // have gone; only when that fails, the long way round, with its failures.
    const QString previewPath = PreviewFolder() + fileName;
    if (WriteScratchFile(previewPath, bytes)) {
        AddWorkingFile(document, previewPath);
        return;
    }
    const QString tempPath = TempFolder() + fileName;
    SaveWholeFile(tempPath, bytes);
    AddWorkingFile(document, tempPath);
    QFile::remove(tempPath);
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
