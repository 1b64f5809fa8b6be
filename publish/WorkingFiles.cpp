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
