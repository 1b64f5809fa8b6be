#include "publish/WorkingFiles.h"

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
    if (QFileInfo(to).exists() && source.canonicalFilePath() == QFileInfo(to).canonicalFilePath())
        return;
    // Copy beside the destination first, so a failing copy never leaves a half file.
    const QString partial = to + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(from, partial))
        return;
    QFile::remove(to);
    if (!QFile::rename(partial, to))
        QFile::remove(partial);
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
