#include "UiFixture.h"

#include "model/MemorySeams.h"
#include "publish/Driver.h"
#include "publish/Folders.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

namespace {

// A saved project of two items (one with a child) at `path`.
void WriteProject(const QString &path)
{
    TAppletAgent document;
    document.SetDefaults();
    document.AppletData.ScriptName = QStringLiteral("harbour");
    TItemData first = TAppletAgent::NewItem();
    first.OriginalImagePath = QStringLiteral("/pictures/boats.jpg");
    first.Level = QStringLiteral("0");
    TItemData child = first;
    child.Level = QStringLiteral("1");
    document.InsertItem(0, first);
    document.InsertItem(1, child);
    MemoryProgress progress;
    document.SaveProject(path, progress);
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class Lifecycle : public UiTest
{
};

TEST(LifecycleCommandLine, ArgumentsAreJoinedWithSingleBlanksAndTrimmed)
{
    EXPECT_EQ(JoinCommandLine({QStringLiteral("/home/ann/My"), QStringLiteral("Gallery.qmreel1")}),
              QStringLiteral("/home/ann/My Gallery.qmreel1"));
    EXPECT_EQ(JoinCommandLine({QStringLiteral("   ")}), QString());
    EXPECT_EQ(JoinCommandLine({}), QString());
    // Blanks inside an argument stay as they are.
    EXPECT_EQ(JoinCommandLine({QStringLiteral(" a "), QStringLiteral("b ")}), QStringLiteral("a  b"));
}

TEST_F(Lifecycle, CommandLineProjectSplitAtItsBlankOpensWhole)
{
    const QString path = scratch.Work() + QStringLiteral("My Harbour.qmreel1");
    WriteProject(path);
    TMainForm &form = MakeForm();
    form.MarkModified();
    form.OpenCommandLineProject(JoinCommandLine(path.split(QLatin1Char(' '))));

    EXPECT_EQ(form.ProjectFileName, path);
    EXPECT_EQ(form.Tree()->NodeCount(), 3);
    EXPECT_EQ(form.Tree()->Depth(2), 2);
    EXPECT_EQ(form.Tree()->Caption(1), QStringLiteral("boats.jpg"));
    EXPECT_EQ(form.Tree()->SelectedIndex(), 0);
    EXPECT_EQ(form.Document->Items.size(), 2u);
    EXPECT_EQ(Find<QLineEdit>("edt_pScriptName")->text(), QStringLiteral("harbour"));
    EXPECT_FALSE(form.Modified);
    EXPECT_FALSE(Find<QToolButton>("tlbtnSave")->isEnabled());
    EXPECT_EQ(Find<QTabWidget>("pgcntrl1")->currentWidget(), form.tbshtScript);
    EXPECT_FALSE(form.Loading);
    EXPECT_TRUE(prompts.calls.isEmpty()) << prompts.calls.join(QLatin1Char('\n')).toStdString();
}

TEST_F(Lifecycle, CommandLineOfBlanksOrAMissingFileOpensNothingQuietly)
{
    TMainForm &form = MakeForm();
    form.OpenCommandLineProject(JoinCommandLine({QStringLiteral("   ")}));
    form.OpenCommandLineProject(scratch.Work() + QStringLiteral("nowhere/none.qmreel1"));
    EXPECT_TRUE(prompts.calls.isEmpty()) << prompts.calls.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(form.Tree()->NodeCount(), 1);
    EXPECT_TRUE(form.Document->Items.empty());
    EXPECT_TRUE(form.ProjectFileName.isEmpty());
    EXPECT_FALSE(form.Loading);
}

TEST_F(Lifecycle, ForeignProjectIsRefusedWithItsMessageAndLeavesTheEmptyProject)
{
    const QString own = scratch.Work() + QStringLiteral("own.qmreel1");
    WriteProject(own);
    const QString foreign = scratch.Work() + QStringLiteral("foreign.qmreel1");
    WriteFile(foreign, "<Product_Name>\r\nSomebody Else\r\n</Product_Name>\r\n");

    TMainForm &form = MakeForm();
    form.OpenCommandLineProject(own);
    ASSERT_EQ(form.Tree()->NodeCount(), 3);
    form.OpenProjectFile(foreign);
    EXPECT_EQ(prompts.calls, QStringList{QStringLiteral("error: ") + QLatin1String(kForeignProductMessage)});
    EXPECT_EQ(form.Tree()->NodeCount(), 1);
    EXPECT_TRUE(form.Document->Items.empty());
    EXPECT_EQ(form.Document->AppletData.ScriptName, QStringLiteral("slideshow1"));
    EXPECT_TRUE(form.ProjectFileName.isEmpty());
}

TEST_F(Lifecycle, UnreadableProjectLeavesTreeAndDocumentInStep)
{
    const QString own = scratch.Work() + QStringLiteral("own.qmreel1");
    WriteProject(own);
    const QString broken = scratch.Work() + QStringLiteral("broken.qmreel1");
    WriteFile(broken, "<Product_Name>\r\nQuillmere\r\n");

    TMainForm &form = MakeForm();
    form.OpenProjectFile(own);
    EXPECT_THROW(form.OpenProjectFile(broken), QmError);
    EXPECT_EQ(form.Tree()->NodeCount(), 1);
    EXPECT_TRUE(form.Document->Items.empty());
    EXPECT_FALSE(form.Loading);
    EXPECT_FALSE(form.Modified);
}

// ---------------------------------------------------------------- closing

namespace {

// A file recorded as a working file in the preview folder.
QString PlaceWorkingFile(TMainForm &form)
{
    const QString name = QStringLiteral("slideshow1config.xml");
    const QString path = PreviewFolder() + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    form.Document->WorkingFiles << name;
    return path;
}

} // namespace

TEST_F(Lifecycle, CloseWithoutChangesAsksNothingAndCleansUp)
{
    TMainForm &form = MakeForm();
    const QString working = PlaceWorkingFile(form);
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(prompts.calls.isEmpty());
    EXPECT_FALSE(QFile::exists(working));
    EXPECT_TRUE(saves.empty());
}

TEST_F(Lifecycle, CloseCancelledStaysOpenButCleansUp)
{
    TMainForm &form = MakeForm();
    form.show();
    form.MarkModified();
    const QString working = PlaceWorkingFile(form);
    prompts.answers.push_back(TAnswer::Cancel);
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(prompts.calls, QStringList{QStringLiteral("warning: Save changes to files before Exit?")});
    EXPECT_FALSE(QFile::exists(working));
    EXPECT_TRUE(form.Modified);
}

TEST_F(Lifecycle, CloseAnsweredNoClosesWithoutSaving)
{
    TMainForm &form = MakeForm();
    form.MarkModified();
    const QString working = PlaceWorkingFile(form);
    prompts.answers.push_back(TAnswer::No);
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(saves.empty());
    EXPECT_FALSE(QFile::exists(working));
}

TEST_F(Lifecycle, CloseAnsweredYesSavesThePaneValuesToTheKnownFile)
{
    TMainForm &form = MakeForm();
    form.ProjectFileName = scratch.Work() + QStringLiteral("site/harbour.qmreel1");
    Find<QLineEdit>("edt_pScriptName")->setText(QStringLiteral("Harbour Lights"));
    Find<QSpinBox>("spnedt_ItemHeight")->setValue(420);
    const QString working = PlaceWorkingFile(form);
    prompts.answers.push_back(TAnswer::Yes);
    EXPECT_TRUE(form.close());
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].folder, scratch.Work() + QStringLiteral("site/"));
    EXPECT_EQ(saves[0].fileName, QStringLiteral("harbour.qmreel1"));
    EXPECT_EQ(saves[0].gallery.ScriptName, QStringLiteral("Harbour Lights"));
    EXPECT_EQ(saves[0].gallery.ItemHeight, QStringLiteral("420"));
    EXPECT_EQ(saves[0].nodes, 1);
    // The close path keeps the working files of a save, and changes no state.
    EXPECT_TRUE(QFile::exists(working));
    EXPECT_TRUE(form.Modified);
    EXPECT_EQ(form.ProjectFileName, scratch.Work() + QStringLiteral("site/harbour.qmreel1"));
}

TEST_F(Lifecycle, CloseAnsweredYesPublishesTheEditedProject)
{
    TMainForm &form = MakeForm();
    form.SaveAll = SaveAllFiles; // the real publishing driver
    ASSERT_TRUE(QDir().mkpath(scratch.Work() + QStringLiteral("site")));
    form.ProjectFileName = scratch.Work() + QStringLiteral("site/harbour.qmreel1");
    Find<QLineEdit>("edt_pScriptName")->setText(QStringLiteral("Harbour Lights"));
    prompts.answers.push_back(TAnswer::Yes);
    EXPECT_TRUE(form.close()) << prompts.calls.join(QLatin1Char('\n')).toStdString();

    QFile project(scratch.Work() + QStringLiteral("site/harbour.qmreel1"));
    ASSERT_TRUE(project.open(QIODevice::ReadOnly));
    EXPECT_TRUE(project.readAll().contains("\r\nHarbour Lights#$@667#$@"));
    EXPECT_TRUE(QFile::exists(scratch.Work() + QStringLiteral("site/harbour.html")));
}

TEST_F(Lifecycle, CloseAnsweredYesKeepsTheWindowWhenTheSaveFails)
{
    TMainForm &form = MakeForm();
    form.ProjectFileName = scratch.Work() + QStringLiteral("harbour.qmreel1");
    form.MarkModified();
    prompts.answers.push_back(TAnswer::Yes);
    saveResult = false;
    EXPECT_FALSE(form.close());

    prompts.answers.push_back(TAnswer::Yes);
    saveError = true;
    EXPECT_FALSE(form.close());
    EXPECT_EQ(prompts.calls.last(), QStringLiteral("error: The disk is full."));
}

TEST_F(Lifecycle, CloseOfANeverSavedProjectAsksForAFile)
{
    TMainForm &form = MakeForm();
    form.MarkModified();
    const QString working = PlaceWorkingFile(form);

    // Dismissed: the window stays, the working files go.
    prompts.answers.push_back(TAnswer::Yes);
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(saves.empty());
    EXPECT_FALSE(QFile::exists(working));
    EXPECT_EQ(prompts.calls.last(), QStringLiteral("save: Quillmere Files (*.qmreel1)|*.qmreel1 |  | overwrite-check"));

    // Chosen: saved there, and the window closes.
    prompts.answers.push_back(TAnswer::Yes);
    prompts.files.push_back(scratch.Work() + QStringLiteral("out/new gallery"));
    EXPECT_TRUE(form.close());
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].folder, scratch.Work() + QStringLiteral("out/"));
    EXPECT_EQ(saves[0].fileName, QStringLiteral("new gallery"));
    EXPECT_TRUE(form.ProjectFileName.isEmpty());
}

TEST_F(Lifecycle, ExitRunsTheCloseQuery)
{
    TMainForm &form = MakeForm();
    form.show();
    form.MarkModified();
    prompts.answers.push_back(TAnswer::Cancel);
    Find<QAction>("Exit1")->trigger();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(prompts.calls.size(), 1);
}

// ---------------------------------------------------------------- folders

TEST_F(Lifecycle, StartsUsableWithoutItsPerUserFolders)
{
    // The data folder would have to live below a plain file.
    WriteFile(scratch.Path(QStringLiteral("blocker")), "x");
    scratch.SetDataHome(scratch.Path(QStringLiteral("blocker/data")));

    TMainForm &form = MakeForm();
    ASSERT_EQ(prompts.calls.size(), 1);
    EXPECT_TRUE(prompts.calls[0].startsWith(QStringLiteral("error: Failed to retrieve application data path!")))
        << prompts.calls[0].toStdString();
    EXPECT_FALSE(form.Modified);
    EXPECT_EQ(form.Tree()->NodeCount(), 1);
    EXPECT_EQ(Find<QTabWidget>("pgcntrl1")->currentWidget(), form.tbshtScript);
    EXPECT_EQ(form.PaneLayoutIndex, 0);

    // Neither a command-line project nor closing repeats the message.
    form.OpenCommandLineProject(scratch.Work() + QStringLiteral("a.qmreel1"));
    EXPECT_TRUE(form.close());
    EXPECT_EQ(prompts.calls.size(), 1);
}

TEST_F(Lifecycle, RecentFilesListIsCreatedAndShown)
{
    const QString list = scratch.DataHome() + QStringLiteral("/Brindlecove/Quillmere/1.0/Temp/recentfile.dat");
    {
        TMainForm &form = MakeForm();
        EXPECT_TRUE(QFile::exists(list));
        EXPECT_TRUE(form.mnitRecentFiles->actions().isEmpty());
    }
    WriteFile(list, "&1 /a/one.qmreel1\r\n&2 /b/two.qmreel1\r\n");
    TMainForm &form = MakeForm();
    ASSERT_EQ(form.mnitRecentFiles->actions().size(), 2);
    EXPECT_EQ(form.mnitRecentFiles->actions()[1]->text(), QStringLiteral("&2 /b/two.qmreel1"));
}

// ---------------------------------------------------------------- errors

TEST_F(Lifecycle, ErrorsOfAHandlerReachTheErrorBox)
{
    TMainForm &form = MakeForm();
    form.Guarded([] { throw QmError(QStringLiteral("'x' is not a valid integer value")); });
    form.Guarded([] { throw std::runtime_error("out of memory"); });
    EXPECT_EQ(prompts.calls,
              (QStringList{QStringLiteral("error: 'x' is not a valid integer value"), QStringLiteral("error: out of memory")}));
    EXPECT_TRUE(form.Tree()->NodeCount() == 1);
}
