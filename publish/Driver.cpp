#include "publish/Driver.h"

#include "model/Error.h"
#include "model/SaveFile.h"
#include "model/TreeEdits.h"
#include "publish/ConfigXml.h"
#include "publish/Folders.h"
#include "publish/Page.h"
#include "publish/Pictures.h"
#include "publish/Readme.h"
#include "publish/WorkingFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <exception>
#include <functional>

namespace {

// A name the build itself could have produced: no folder part, no way out of the
// folder. Names in a hand-edited project file that are not are never copied.
bool IsPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1Char(':'));
}

// Copies preview + name to the output folder when the preview folder holds it.
void CopyFromPreview(const QString &preview, const QString &name, const QString &outputFolder)
{
    if (IsPlainFileName(name) && QFileInfo::exists(preview + name))
        CopyFileOver(preview + name, outputFolder + name);
}

// Runs `work` on another thread while the caller waits through `progress`, so the
// window answers meanwhile; an error of the work is raised here.
void RunAside(IProgress &progress, const std::function<void()> &work)
{
    std::exception_ptr error;
    const QFuture<void> done = QtConcurrent::run([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
    });
    while (!done.isFinished())
        progress.Pause(10);
    if (error)
        std::rethrow_exception(error);
}

// The folder a page goes into, made when it does not exist yet (a new folder typed
// into the save dialog).
void MakeFolderOf(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw QmError(QStringLiteral("The output folder \"%1\" cannot be created.").arg(QDir::toNativeSeparators(folder)));
}

// A long value shown in a message: its start and end around an ellipsis.
QString Elided(const QString &value)
{
    constexpr qsizetype kHead = 40, kTail = 20;
    return value.size() <= kHead + kTail + 3 ? value : value.left(kHead) + QStringLiteral("...") + value.right(kTail);
}

// Refuses a value whose longest file name, with the temporary name of the atomic
// write beside it, would not fit the file-name limit.
void CheckNameFits(const QString &value, const char *what, const QString &longestSuffix, int limit)
{
    const int room = limit - kTemporaryNameExtra - FileNameBytes(longestSuffix);
    const int bytes = FileNameBytes(value);
    if (bytes <= room)
        return;
    throw QmError(QStringLiteral("The %1 \"%2\" is too long: it names files such as \"%3\", and file names may be at most %4 "
                                 "bytes long here (a save also needs room for a temporary name %5 bytes longer). Please "
                                 "shorten the %1 to at most %6 bytes (it has %7) and try again.")
                      .arg(QLatin1String(what), Elided(value), Elided(value + longestSuffix))
                      .arg(limit)
                      .arg(kTemporaryNameExtra)
                      .arg(std::max(room, 0))
                      .arg(bytes));
}

// The limit of the working folders, which every build writes the configuration files into.
int WorkingFoldersNameLimit()
{
    return std::min(MaxFileNameBytes(TempFolder()), MaxFileNameBytes(PreviewFolder()));
}

} // namespace

void CheckGalleryNameLength(const QString &prefix, int limit)
{
    CheckNameFits(prefix, "gallery name", ConfigFileName(QString()), limit);
}

void CheckProjectNameLength(const QString &baseName, int limit)
{
    CheckNameFits(baseName, "project name", QStringLiteral("_readme.txt"), limit);
}

QString SaveBaseName(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return fileName;
    QString base = fileName;
    base.remove(fileName.mid(dot), Qt::CaseInsensitive);
    return base;
}

QString SavedPagePath(const QString &outputFolder, const QString &fileName)
{
    return outputFolder + SaveBaseName(fileName) + QStringLiteral(".html");
}

void BuildOutput(TAppletAgent &document, const QString &pagePath, IItemTree &tree, IProgress &progress)
{
    // A gallery name that cannot name files is refused before anything is written.
    const QString prefix = FilePrefix(document.AppletData);
    CheckFilePrefix(prefix);
    CheckGalleryNameLength(prefix, WorkingFoldersNameLimit());

    progress.SetStage(QStringLiteral("Making HTML Codes ... ..."));
    progress.SetBusy(true);
    ProgressReset reset(progress);

    ProcessItemImages(document, tree, progress);
    PrepareItems(document, tree);
    // Width and height are checked before any file of the build is written.
    MovieWidth(document.AppletData, int(document.Items.size()));
    const QString firstImage = WriteConfigFiles(document, prefix);
    MakeFolderOf(pagePath);
    WritePage(document, pagePath, prefix, firstImage);
}

bool SaveAllFiles(TAppletAgent &document, const QString &outputFolder, const QString &fileName, IItemTree &tree, IProgress &progress)
{
    // A gallery or project name that cannot name files is refused before anything is written.
    const QString prefix = FilePrefix(document.AppletData);
    CheckFilePrefix(prefix);
    const QString base = SaveBaseName(fileName);
    const int limit = std::min(MaxFileNameBytes(outputFolder), WorkingFoldersNameLimit());
    CheckProjectNameLength(base, limit);
    CheckGalleryNameLength(prefix, limit);
    const QString preview = PreviewFolder();
    const QString program = PlayerFolder();
    const QString projectPath = outputFolder + base + QStringLiteral(".qmreel1");
    try {
        BuildOutput(document, outputFolder + base + QStringLiteral(".html"), tree, progress);
    } catch (const QmError &buildError) {
        // No edit is lost to a failing build: the project is saved before the
        // error reaches the user; the rest of the output may stay incomplete.
        try {
            RefreshLevels(document, tree);
            MakeFolderOf(projectPath);
            document.SaveProject(projectPath, progress);
        } catch (const QmError &saveError) {
            throw QmError(buildError.message() + QStringLiteral("\n\n") + saveError.message());
        }
        throw;
    }

    for (const TLinkedFileInfo &file : document.LinkedFiles)
        if (IsPlainFileName(file.FileName))
            CopyFileOver(program + file.FileName, outputFolder + file.FileName);

    document.SaveProject(projectPath, progress);
    WriteReadme(document, outputFolder, base + QStringLiteral("_readme.txt"), progress);

    progress.SetMaximum(100);
    progress.SetStage(QStringLiteral("Copying Required Files ... ..."));
    progress.SetBusy(true);
    ProgressReset reset(progress);
    // Every copy is made durable, one after another: the longest step after the pictures.
    QStringList names;
    for (const TItemData &item : document.Items)
        names << item.ImageFile;
    for (const TItemData &item : document.Items)
        names << item.ExtraImageFile;
    for (const TPictureVariants &variants : document.ItemVariants)
        for (const TPictureVariant &variant : variants)
            names << variant.FileName;
    for (const TLinkedFileInfo &file : document.LinkedFiles)
        names << file.FileName;
    names << CompanionFileName(prefix);
    RunAside(progress, [&] {
        for (const QString &name : std::as_const(names))
            CopyFromPreview(preview, name, outputFolder);
    });
    // Two half steps, as the bar has always moved for this stage: it fills in two jumps.
    progress.Step(50);
    progress.Step(50);
    return true;
}

void CopyLinkedFiles(TAppletAgent &document, const QString &sourceFolder)
{
    for (const TLinkedFileInfo &file : document.LinkedFiles)
        AddWorkingFile(document, sourceFolder + file.FileName);
}

void CopyResourceFiles(TAppletAgent &document, const QString &, IProgress &progress)
{
    progress.SetMaximum(100);
    progress.SetStage(QStringLiteral("Copying Resource Files ... ..."));
    progress.SetBusy(true);
    ProgressReset reset(progress);
    // Nothing adds resource files, so there is nothing to copy.
    document.ResourceFiles.clear();
    // Two half steps, like the copy of the required files, so both stages look alike.
    progress.Step(50);
    progress.Step(50);
}
