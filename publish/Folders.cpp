#include "publish/Folders.h"

#include "model/Error.h"
#include "model/Product.h"
#include "model/TextUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const char *const kM1 = "Failed to retrieve application data path! Please contact vendor for help! Thank you!";
const char *const kM2 = "Failed to create data folder at application data path! Please contact vendor for help! Thank you!";
const char *const kM3 = "Failed to create preview folder at application data path! Please contact vendor for help! Thank you!";
const char *const kM4 = "Failed to create temp folder at application data path! Please contact vendor for help! Thank you!";
const char *const kM5 = "Failed to retrieve my documents path! Please contact vendor for help! Thank you!";

bool IsDirectory(const QString &path)
{
    return QFileInfo(path).isDir();
}

// Makes one level (the parent must exist); true when the folder is there afterwards.
bool EnsureOneLevel(const QString &path)
{
    return IsDirectory(path) || (QDir().mkdir(path) && IsDirectory(path));
}

// root + maker/product/version/, each level created singly.
QString CompanyTree(const QString &root, const char *rootMissing)
{
    if (root.isEmpty() || !IsDirectory(root))
        throw QmError(QString::fromLatin1(rootMissing));
    QString path = root;
    for (const char *level : {kMakerName, kProductName, kProductVersion}) {
        path = IncludeTrailingBackslash(path) + QLatin1String(level);
        if (!EnsureOneLevel(path))
            throw QmError(QString::fromLatin1(kM2));
    }
    return IncludeTrailingBackslash(path);
}

QString SubFolder(const char *name, const char *message)
{
    const QString path = IncludeTrailingBackslash(DataFolder()) + QLatin1String(name);
    if (!EnsureOneLevel(path))
        throw QmError(QString::fromLatin1(message));
    return IncludeTrailingBackslash(path);
}

QString WithoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QDir::separator())))
        path.chop(1);
    return QDir::toNativeSeparators(path);
}

} // namespace

QString SpecialFolderPath(int folderId)
{
    switch (folderId) {
    case CSIDL_APPDATA: {
#ifdef Q_OS_WIN
        // The roaming application-data folder.
        return WithoutTrailingSeparator(qEnvironmentVariable("APPDATA"));
#else
        const QString located = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (located.isEmpty())
            return QString();
        const QString path = QDir::cleanPath(located);
        // A fresh account may have no data folder yet; it is made private, as the
        // base-directory rules ask. Failing that the path does not exist and the
        // caller reports it.
        if (!IsDirectory(path)) {
            // Made with its private mode from the start, never briefly open to others.
            const QString parent = QFileInfo(path).absolutePath();
            if (IsDirectory(parent) || QDir().mkpath(parent))
                QDir().mkdir(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        return WithoutTrailingSeparator(path);
#endif
    }
    case CSIDL_PERSONAL: {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!documents.isEmpty() && IsDirectory(documents))
            return WithoutTrailingSeparator(documents);
        // Many fresh accounts have no documents folder: the home folder stands in.
        return WithoutTrailingSeparator(QDir::homePath());
    }
    case CSIDL_MYPICTURES:
        return WithoutTrailingSeparator(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    default:
        return QString();
    }
}

QString DataFolder()
{
    return CompanyTree(SpecialFolderPath(CSIDL_APPDATA), kM1);
}

QString PreviewFolder()
{
    return SubFolder("Preview", kM3);
}

QString TempFolder()
{
    return SubFolder("Temp", kM4);
}

QString DocumentsFolder()
{
    return CompanyTree(SpecialFolderPath(CSIDL_PERSONAL), kM5);
}

QString MyPicturesFolder()
{
    return SpecialFolderPath(CSIDL_MYPICTURES);
}

QString ProgramFile()
{
    const QString file = QCoreApplication::applicationFilePath();
    const QString resolved = QFileInfo(file).canonicalFilePath();
    return QDir::toNativeSeparators(resolved.isEmpty() ? file : resolved);
}

QString ProgramFolderOf(const QString &programFile)
{
    const QFileInfo file(programFile);
    const QString resolved = file.canonicalFilePath();
    const QString folder = resolved.isEmpty() ? file.absolutePath() : QFileInfo(resolved).path();
    return IncludeTrailingBackslash(QDir::toNativeSeparators(folder));
}

QString ProgramFolder()
{
    return ProgramFolderOf(QCoreApplication::applicationFilePath());
}

QString PlayerFolder()
{
    return ProgramFolder() + QStringLiteral("player") + QDir::separator();
}

QString HelpFolder()
{
    return ProgramFolder() + QStringLiteral("help") + QDir::separator();
}

QString SamplesFolder()
{
    return ProgramFolder() + QStringLiteral("samples") + QDir::separator();
}
