// The project file commands: New, Open, Save, Save As and the recent files.
#include "ui/GUI.h"

#include "model/Error.h"
#include "model/SaveFile.h"
#include "platform/DocumentType.h"
#include "publish/Driver.h"
#include "publish/Folders.h"
#include "publish/WorkingFiles.h"
#include "ui/GUIShared.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QScopedValueRollback>
#include <QUndoStack>

namespace {

constexpr int kRecentFiles = 4;
// "&1 " before the path of each line.
constexpr int kRecentPrefix = 3;
// No path is longer; a longer line is cut here rather than read whole.
constexpr qint64 kLongestRecentLine = 32 * 1024;

QString RecentFilesPath()
{
    return TempFolder() + QStringLiteral("recentfile.dat");
}

// Whether the list can hold the path: a line break would split it into two entries,
// and text the system's 8-bit encoding cannot keep would come back as another path.
bool FitsRecentFiles(const QString &path)
{
    return !path.contains(QLatin1Char('\n')) && !path.contains(QLatin1Char('\r')) && QString::fromLocal8Bit(path.toLocal8Bit()) == path;
}

// The first lines of the list, at most four, without their line ends. A missing list
// is created empty.
QStringList ReadRecentFiles()
{
    const QString path = RecentFilesPath();
    if (!QFileInfo::exists(path))
        SaveTextFile(path, {});
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw QmError(QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    QStringList lines;
    while (lines.size() < kRecentFiles && !file.atEnd()) {
        QByteArray line = file.readLine(kLongestRecentLine);
        if (!line.endsWith('\n')) {
            // The rest of an overlong line is passed over.
            while (!file.atEnd() && !file.readLine(kLongestRecentLine).endsWith('\n')) {
            }
        }
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        lines << QString::fromLocal8Bit(line);
    }
    if (file.error() != QFileDevice::NoError)
        throw QmError(QStringLiteral("Cannot read file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return lines;
}

// The project file that saving under `chosenPath` writes: the name less its
// extension, with the project extension.
QString ProjectFileFor(const QString &chosenPath)
{
    return FolderOf(chosenPath) + SaveBaseName(ExtractFileName(chosenPath)) + QLatin1String(kDocumentExtension);
}

} // namespace

// ---------------------------------------------------------------- recent files

void TMainForm::LoadRecentFiles()
{
    const QStringList lines = ReadRecentFiles();
    mnitRecentFiles->clear();
    for (const QString &line : lines) {
        if (line.isEmpty())
            continue;
        QAction *entry = mnitRecentFiles->addAction(line);
        connect(entry, &QAction::triggered, this, [this] { Guarded([this] { RecentFileClick(); }); });
    }
}

void TMainForm::AddRecentFile(const QString &path)
{
    if (path.isEmpty() || !FitsRecentFiles(path))
        return;
    QStringList entries = ReadRecentFiles();
    entries.resize(kRecentFiles);
    for (QString &entry : entries) {
        if (!entry.isEmpty())
            entry.remove(0, kRecentPrefix);
    }
    // A listed path keeps its place; the comparison is exact, letter case included.
    if (entries.contains(path))
        return;
    entries.prepend(path);
    entries.resize(kRecentFiles);
    QStringList lines;
    for (int position = 1; position <= kRecentFiles; ++position) {
        const QString &entry = entries.at(position - 1);
        if (!entry.isEmpty())
            lines << QStringLiteral("&%1 %2").arg(position).arg(entry);
    }
    SaveTextFile(RecentFilesPath(), lines);
    LoadRecentFiles();
}

void TMainForm::RecentFileClick()
{
    if (Busy())
        return;
    if (const auto *entry = qobject_cast<const QAction *>(sender()))
        OpenProjectFile(entry->text().mid(kRecentPrefix));
}

// ---------------------------------------------------------------- opening

bool TMainForm::AskToSave()
{
    if (!Modified)
        return true;
    switch (m_prompts.Warning(QStringLiteral("Save changes to files?"), TWarningButtons::YesNoCancel)) {
    case TAnswer::Cancel:
        return false;
    case TAnswer::Yes:
        // The command goes on also when the save dialog is dismissed.
        Save1Click();
        return true;
    default:
        return true;
    }
}

void TMainForm::ResetToEmptyProject()
{
    // Another project: nothing of the last one is left to undo.
    m_undo->clear();
    CurrentItemNode = nullptr;
    DescendantCount = 0;
    {
        const QScopedValueRollback loading(Loading, true);
        trvwDesignPanel->ResetToRoot();
    }
    trvwDesignPanel->setCurrentItem(trvwDesignPanel->Root());
    Document->SetDefaults();
    ShowAppletPane();
    ProjectFileName.clear();
    UpdatePaneLayout();
    ClearModified();
}

void TMainForm::OpenProject(const QString &path)
{
    try {
        m_undo->clear();
        CurrentItemNode = nullptr;
        DescendantCount = 0;
        {
            const QScopedValueRollback loading(Loading, true);
            trvwDesignPanel->ResetToRoot();
        }
        // Selected outside Loading, so the selection handling lays out the gallery tabs.
        trvwDesignPanel->setCurrentItem(trvwDesignPanel->Root());

        LoadResult result;
        {
            const QScopedValueRollback loading(Loading, true);
            // Cancelled, it ends as a failed opening does: with the empty project.
            const TLongOperation operation(*m_progress);
            result = Document->LoadProject(path, *trvwDesignPanel, *m_progress);
        }
        if (result == LoadResult::Refused) {
            ResetToEmptyProject();
            m_prompts.Error(QLatin1String(kForeignProductMessage));
            return;
        }
        if (result == LoadResult::NoProject) {
            // Nothing was read: the tree is empty again, and the document becomes so below.
            throw QmError(QStringLiteral("\"%1\" holds no Quillmere project, open failed!").arg(QDir::toNativeSeparators(path)));
        }
    } catch (...) {
        ResetToEmptyProject();
        throw;
    }

    // The project is open; a recent-files list that cannot be written is reported
    // and the opening goes on.
    try {
        AddRecentFile(path);
    } catch (const QmError &error) {
        m_prompts.Error(error.message());
    }

    ShowAppletPane();
    ProjectFileName = path;
    CopyResourceFiles(*Document, FolderOf(path), *m_progress);

    trvwDesignPanel->setCurrentItem(trvwDesignPanel->Root());
    trvwDesignPanel->ExpandAll();
    UpdatePaneLayout();
    ClearModified();
}

void TMainForm::OpenProjectFile(const QString &path)
{
    if (path.isEmpty())
        return;
    if (!AskToSave())
        return;
    CleanupQuietly();
    OpenProject(path);
}

void TMainForm::OpenCommandLineProject(const QString &path)
{
    if (path.isEmpty())
        return;
    ClearModified();
    try {
        OpenProjectFile(path);
    } catch (const std::exception &) {
        // A project named on the command line that cannot be opened is passed over quietly.
    }
}

void TMainForm::New1Click()
{
    if (!AskToSave())
        return;
    CleanupQuietly();
    ResetToEmptyProject();
}

void TMainForm::Open1Click()
{
    if (!AskToSave())
        return;
    CleanupQuietly();
    const QString path = m_prompts.OpenFile(QLatin1String(kProjectFilter), DocumentsFolder());
    if (path.isEmpty())
        return;
    OpenProject(path);
}

// ---------------------------------------------------------------- saving

QString TMainForm::ChooseProjectFile(const QString &initialFolder)
{
    return m_prompts.SaveFile(QLatin1String(kProjectFilter), initialFolder, ProjectFileFor);
}

bool TMainForm::SaveProjectAs(const QString &path)
{
    bool saved = false;
    {
        const TLongOperation operation(*m_progress);
        saved = SaveAll(*Document, FolderOf(path), ExtractFileName(path), *trvwDesignPanel, *m_progress);
    }
    ReportUnreadablePictures();
    return saved;
}

void TMainForm::Save1Click()
{
    TakePaneValues();
    if (!ProjectFileName.isEmpty()) {
        SaveProjectAs(ProjectFileName);
        ClearModified();
        return;
    }
    const QString chosen = ChooseProjectFile(DocumentsFolder());
    if (chosen.isEmpty())
        return;
    SaveProjectAs(chosen);
    ClearModified();
    // As chosen, extension or not: the next Save writes the same files again.
    ProjectFileName = chosen;
}

void TMainForm::Save2Click()
{
    TakePaneValues();
    const QString chosen = ChooseProjectFile(DocumentsFolder());
    if (chosen.isEmpty())
        return;
    SaveProjectAs(chosen);
    ProjectFileName = chosen;
}
