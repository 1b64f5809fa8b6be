// The project file commands: New, Open, Save, Save As and the recent files.
#include "ui/GUI.h"

#include "model/Error.h"
#include "model/SaveFile.h"
#include "publish/Driver.h"
#include "publish/Folders.h"
#include "publish/WorkingFiles.h"
#include "ui/GUIShared.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QScopedValueRollback>

void TMainForm::ResetToEmptyProject()
{
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

void TMainForm::OpenProjectFile(const QString &path)
{
    if (path.isEmpty())
        return;
    // Asking to save a modified project arrives with the project commands; the
    // window only opens a project at start-up so far, when nothing is modified.
    CleanupWorkingFiles(*Document);

    try {
        CurrentItemNode = nullptr;
        DescendantCount = 0;
        {
            const QScopedValueRollback loading(Loading, true);
            trvwDesignPanel->ResetToRoot();
        }
        trvwDesignPanel->setCurrentItem(trvwDesignPanel->Root());

        LoadResult result;
        {
            const QScopedValueRollback loading(Loading, true);
            result = Document->LoadProject(path, *trvwDesignPanel, *m_progress);
        }
        if (result == LoadResult::Refused) {
            ResetToEmptyProject();
            m_prompts.Error(QLatin1String(kForeignProductMessage));
            return;
        }
        if (result == LoadResult::NoProject) {
            // Nothing was read: the tree is empty again, so the document must be too.
            ResetToEmptyProject();
            return;
        }

        ShowAppletPane();
        ProjectFileName = path;
        CopyResourceFiles(*Document, FolderOf(path), *m_progress);

        trvwDesignPanel->setCurrentItem(trvwDesignPanel->Root());
        trvwDesignPanel->expandAll();
        UpdatePaneLayout();
        ClearModified();
    } catch (...) {
        ResetToEmptyProject();
        throw;
    }
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

void TMainForm::LoadRecentFiles()
{
    const QString path = TempFolder() + QStringLiteral("recentfile.dat");
    if (!QFileInfo::exists(path))
        SaveTextFile(path, {});
    QStringList lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw QmError(QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    while (lines.size() < 4 && !file.atEnd())
        lines << QString::fromLocal8Bit(file.readLine()).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    mnitRecentFiles->clear();
    for (const QString &line : std::as_const(lines)) {
        if (line.isEmpty())
            continue;
        QAction *entry = mnitRecentFiles->addAction(line);
        connect(entry, &QAction::triggered, this, [this] { Guarded([this] { RecentFileClick(); }); });
    }
}

void TMainForm::New1Click()
{
    NotAvailableYet();
}

void TMainForm::Open1Click()
{
    NotAvailableYet();
}

void TMainForm::Save1Click()
{
    NotAvailableYet();
}

void TMainForm::Save2Click()
{
    NotAvailableYet();
}

void TMainForm::RecentFileClick()
{
    NotAvailableYet();
}
