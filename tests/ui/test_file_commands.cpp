// New, Open, Save, Save As and the recent files, on the real window with scripted
// prompts. Saves go to the recording stand-in unless a case needs the files.
#include "UiFixture.h"

#include "model/MemorySeams.h"
#include "publish/Driver.h"
#include "publish/Folders.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

namespace {

const char *const kFilter = "Quillmere Files (*.qmreel1)|*.qmreel1";
const char *const kAskToSave = "warning: Save changes to files?";

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

class FileCommands : public UiTest
{
protected:
    // A project named `name` in the work folder whose gallery is called `name` and
    // which holds `items` items; returns its path.
    QString Project(const QString &name, int items = 1, bool nested = false)
    {
        TAppletAgent document;
        document.SetDefaults();
        document.AppletData.ScriptName = name;
        for (int i = 0; i < items; ++i) {
            TItemData item = TAppletAgent::NewItem();
            item.OriginalImagePath = QStringLiteral("/pictures/%1-%2.jpg").arg(name).arg(i);
            item.Level = QString::number(nested ? i : 0);
            document.InsertItem(i, item);
        }
        const QString path = scratch.Work() + name + QStringLiteral(".qmreel1");
        MemoryProgress progress;
        document.SaveProject(path, progress);
        return path;
    }

    QString RecentList() const { return scratch.DataHome() + QStringLiteral("/Brindlecove/Quillmere/1.0/Temp/recentfile.dat"); }

    QStringList MenuCaptions() const
    {
        QStringList captions;
        for (const QAction *action : form->mnitRecentFiles->actions())
            captions << action->text();
        return captions;
    }

    QAction *MenuEntry(int position) const { return form->mnitRecentFiles->actions().value(position - 1); }

    // A file recorded as a working file in the preview folder.
    QString PlaceWorkingFile()
    {
        const QString path = PreviewFolder() + QStringLiteral("slideshow1config.xml");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        form->Document->WorkingFiles << QStringLiteral("slideshow1config.xml");
        return path;
    }

    QString Calls() const { return prompts.calls.join(QLatin1Char('\n')); }
};

} // namespace

// ---------------------------------------------------------------- recent files

TEST_F(FileCommands, RecentFilesHoldTheFourLatestOpensAndListedPathsStayWhereTheyAre)
{
    TMainForm &form = MakeForm();
    QStringList paths;
    for (const char *name : {"one", "two", "three", "four", "five"}) {
        paths << Project(QLatin1String(name));
        form.OpenProjectFile(paths.last());
        EXPECT_EQ(form.ProjectFileName, paths.last());
    }
    const QByteArray four = "&1 " + paths[4].toLocal8Bit() + "\r\n&2 " + paths[3].toLocal8Bit() + "\r\n&3 " + paths[2].toLocal8Bit() +
                            "\r\n&4 " + paths[1].toLocal8Bit() + "\r\n";
    EXPECT_EQ(ReadAll(RecentList()), four);
    // The captions are the lines, so the digit is each entry's access key.
    EXPECT_EQ(MenuCaptions(), QString::fromLocal8Bit(four).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts));

    // A listed path opened again, here from the menu, does not move to the top.
    MenuEntry(3)->trigger();
    EXPECT_EQ(form.ProjectFileName, paths[2]);
    EXPECT_EQ(form.Document->AppletData.ScriptName, QStringLiteral("three"));
    EXPECT_EQ(ReadAll(RecentList()), four);
    EXPECT_EQ(MenuCaptions().size(), 4);
    EXPECT_EQ(MenuCaptions()[2], QStringLiteral("&3 ") + paths[2]);

    // Letter case makes another entry.
    const QString upper = Project(QStringLiteral("FIVE"));
    ASSERT_NE(upper.toLower(), upper);
    form.OpenProjectFile(upper);
    EXPECT_EQ(MenuCaptions().first(), QStringLiteral("&1 ") + upper);
    EXPECT_EQ(MenuCaptions()[1], QStringLiteral("&2 ") + paths[4]);
    EXPECT_TRUE(prompts.calls.isEmpty()) << Calls().toStdString();
}

TEST_F(FileCommands, AnUnreadableRecentFileShowsItsErrorAndStaysListed)
{
    TMainForm &form = MakeForm();
    const QString gone = Project(QStringLiteral("gone"), 2);
    const QString kept = Project(QStringLiteral("kept"));
    form.OpenProjectFile(gone);
    form.OpenProjectFile(kept);
    ASSERT_TRUE(QFile::remove(gone));
    const QByteArray list = ReadAll(RecentList());

    MenuEntry(2)->trigger();
    ASSERT_EQ(prompts.calls.size(), 1);
    EXPECT_TRUE(prompts.calls[0].startsWith(QStringLiteral("error: ")) && prompts.calls[0].contains(QStringLiteral("gone.qmreel1")))
        << Calls().toStdString();
    EXPECT_EQ(ReadAll(RecentList()), list);
    // Tree and document agree on the empty project.
    EXPECT_EQ(form.Tree()->NodeCount(), 1);
    EXPECT_TRUE(form.Document->Items.empty());
    EXPECT_TRUE(form.ProjectFileName.isEmpty());
    EXPECT_FALSE(form.Loading);
}

TEST_F(FileCommands, NoProjectInTheFileIsReportedAndLeavesTheEmptyProject)
{
    TMainForm &form = MakeForm();
    form.OpenProjectFile(Project(QStringLiteral("before")));
    const QString text = scratch.Work() + QStringLiteral("notes.qmreel1");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("shopping list\r\n");
    file.close();

    prompts.files.push_back(text);
    form.Open1->trigger();
    EXPECT_EQ(prompts.calls.last(),
              QStringLiteral("error: \"%1\" holds no Quillmere project, open failed!").arg(QDir::toNativeSeparators(text)));
    EXPECT_EQ(form.Tree()->NodeCount(), 1);
    EXPECT_TRUE(form.Document->Items.empty());
    EXPECT_TRUE(form.ProjectFileName.isEmpty());
    EXPECT_FALSE(MenuCaptions().join(QLatin1Char('\n')).contains(QStringLiteral("notes")));
}

TEST_F(FileCommands, APathHoldingALineBreakOpensButIsNotListed)
{
    TMainForm &form = MakeForm();
    const QString plain = Project(QStringLiteral("plain"));
    form.OpenProjectFile(plain);
    const QByteArray list = ReadAll(RecentList());

    const QString broken = scratch.Work() + QStringLiteral("two\nlines.qmreel1");
    ASSERT_TRUE(QFile::copy(plain, broken));
    form.OpenProjectFile(broken);
    EXPECT_EQ(form.ProjectFileName, broken);
    EXPECT_EQ(form.Tree()->NodeCount(), 2);
    EXPECT_EQ(ReadAll(RecentList()), list);
    EXPECT_EQ(MenuCaptions(), QStringList{QStringLiteral("&1 ") + plain});
}

TEST_F(FileCommands, ARecentListThatCannotBeReadIsReportedAndTheProjectStillOpens)
{
    // A folder where the list should be: neither readable nor replaceable.
    ASSERT_TRUE(QDir().mkpath(RecentList()));
    TMainForm &form = MakeForm();
    ASSERT_EQ(prompts.calls.size(), 1) << Calls().toStdString();
    EXPECT_TRUE(prompts.calls[0].startsWith(QStringLiteral("error: Cannot open file"))) << Calls().toStdString();

    const QString path = Project(QStringLiteral("harbour"));
    form.OpenProjectFile(path);
    ASSERT_EQ(prompts.calls.size(), 2);
    EXPECT_TRUE(prompts.calls[1].startsWith(QStringLiteral("error: Cannot open file"))) << Calls().toStdString();
    EXPECT_EQ(form.ProjectFileName, path);
    EXPECT_EQ(form.Tree()->NodeCount(), 2);
    EXPECT_FALSE(form.Modified);
}

// ---------------------------------------------------------------- New and Open

TEST_F(FileCommands, NewOpenAndRecentAskToSaveOnlyWhenModified)
{
    enum class Command { New, Open, Recent };
    struct Case
    {
        const char *name;
        Command command;
        bool modified;
        std::optional<TAnswer> answer; // nothing: no question expected
        bool goesOn;
    };
    const Case cases[] = {
        {"New, unmodified", Command::New, false, std::nullopt, true},
        {"New, Cancel", Command::New, true, TAnswer::Cancel, false},
        {"New, No", Command::New, true, TAnswer::No, true},
        {"New, Yes", Command::New, true, TAnswer::Yes, true},
        {"Open, unmodified", Command::Open, false, std::nullopt, true},
        {"Open, Cancel", Command::Open, true, TAnswer::Cancel, false},
        {"Open, No", Command::Open, true, TAnswer::No, true},
        {"Open, Yes", Command::Open, true, TAnswer::Yes, true},
        {"recent, unmodified", Command::Recent, false, std::nullopt, true},
        {"recent, Cancel", Command::Recent, true, TAnswer::Cancel, false},
        {"recent, No", Command::Recent, true, TAnswer::No, true},
        {"recent, Yes", Command::Recent, true, TAnswer::Yes, true},
    };
    const QString current = Project(QStringLiteral("current"), 2);
    const QString other = Project(QStringLiteral("other"), 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        prompts = TScriptedPrompts();
        saves.clear();
        form.reset();
        QFile::remove(RecentList());
        TMainForm &form = MakeForm();
        form.OpenProjectFile(current);
        const QStringList listed = MenuCaptions();
        if (c.modified)
            form.MarkModified();
        const QString working = PlaceWorkingFile();
        prompts.calls.clear();
        if (c.answer)
            prompts.answers.push_back(*c.answer);

        switch (c.command) {
        case Command::New:
            form.New1->trigger();
            break;
        case Command::Open:
            prompts.files.push_back(other);
            form.tlbtnOpen->click();
            EXPECT_EQ(prompts.calls.contains(QStringLiteral("open: %1 | %2").arg(kFilter, DocumentsFolder())), c.goesOn)
                << Calls().toStdString();
            break;
        case Command::Recent:
            form.OpenProjectFile(other);
            break;
        }

        EXPECT_EQ(!prompts.calls.isEmpty() && prompts.calls[0] == QLatin1String(kAskToSave), c.answer.has_value()) << Calls().toStdString();
        // Yes saves the known project file without a dialog, then goes on.
        EXPECT_EQ(saves.size(), c.answer == TAnswer::Yes ? 1u : 0u);
        if (!c.goesOn) {
            EXPECT_EQ(form.ProjectFileName, current);
            EXPECT_EQ(form.Tree()->NodeCount(), 3);
            EXPECT_TRUE(form.Modified);
            EXPECT_TRUE(QFile::exists(working));
            continue;
        }
        EXPECT_FALSE(QFile::exists(working));
        EXPECT_FALSE(form.Modified);
        EXPECT_FALSE(form.Save1->isEnabled());
        EXPECT_FALSE(form.tlbtnSave->isEnabled());
        EXPECT_FALSE(form.Loading);
        EXPECT_EQ(form.Tree()->SelectedIndex(), 0);
        EXPECT_EQ(form.pgcntrl1->currentWidget(), form.tbshtScript);
        if (c.command == Command::New) {
            EXPECT_TRUE(form.ProjectFileName.isEmpty());
            EXPECT_EQ(form.Tree()->NodeCount(), 1);
            EXPECT_TRUE(form.Document->Items.empty());
            EXPECT_EQ(Find<QLineEdit>("edt_pScriptName")->text(), QStringLiteral("slideshow1"));
            EXPECT_EQ(MenuCaptions(), listed);
        } else {
            EXPECT_EQ(form.ProjectFileName, other);
            EXPECT_EQ(form.Tree()->NodeCount(), 2);
            EXPECT_EQ(Find<QLineEdit>("edt_pScriptName")->text(), QStringLiteral("other"));
            EXPECT_EQ(MenuCaptions(), (QStringList{QStringLiteral("&1 ") + other, QStringLiteral("&2 ") + current}));
        }
    }
}

TEST_F(FileCommands, NewAfterYesAndADismissedSaveDialogStillStartsTheNewProject)
{
    TMainForm &form = MakeForm();
    Find<QLineEdit>("edt_pScriptName")->setText(QStringLiteral("unsaved"));
    ASSERT_TRUE(form.Modified);
    prompts.answers.push_back(TAnswer::Yes);
    Find<QToolButton>("tlbtnNew")->click();
    EXPECT_EQ(prompts.calls,
              (QStringList{QLatin1String(kAskToSave), QStringLiteral("save: %1 | %2 | overwrite-check").arg(kFilter, DocumentsFolder())}));
    EXPECT_TRUE(saves.empty());
    EXPECT_FALSE(form.Modified);
    EXPECT_EQ(Find<QLineEdit>("edt_pScriptName")->text(), QStringLiteral("slideshow1"));
}

// ---------------------------------------------------------------- saving

TEST_F(FileCommands, FirstSaveOfANameWithoutExtensionAndTheNextSaveWithoutADialog)
{
    TMainForm &form = MakeForm();
    form.SaveAll = SaveAllFiles;
    const QString folder = scratch.Work() + QStringLiteral("site/");
    ASSERT_TRUE(QDir().mkpath(folder));
    Find<QLineEdit>("edt_pScriptName")->setText(QStringLiteral("harbour"));
    prompts.files.push_back(folder + QStringLiteral("gallery"));
    form.tlbtnSave->click();

    EXPECT_EQ(prompts.calls, QStringList{QStringLiteral("save: %1 | %2 | overwrite-check").arg(kFilter, DocumentsFolder())});
    EXPECT_EQ(form.ProjectFileName, folder + QStringLiteral("gallery"));
    EXPECT_TRUE(ReadAll(folder + QStringLiteral("gallery.qmreel1")).contains("\r\nharbour#$@"));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("gallery.html")));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("gallery")));
    EXPECT_FALSE(form.Modified);
    EXPECT_FALSE(form.tlbtnSave->isEnabled());
    EXPECT_TRUE(MenuCaptions().isEmpty()) << "saving does not add to the recent files";

    Find<QLineEdit>("edt_pScriptName")->setText(QStringLiteral("lights"));
    form.Save1->trigger();
    EXPECT_EQ(prompts.calls.size(), 1) << Calls().toStdString();
    EXPECT_TRUE(ReadAll(folder + QStringLiteral("gallery.qmreel1")).contains("\r\nlights#$@"));
    EXPECT_FALSE(form.Modified);
}

TEST_F(FileCommands, LargeProjectsFlatOrNestedOpenSaveAndCloseWithoutAWalkPerItem)
{
    constexpr int n = 10000;
    for (const bool nested : {false, true}) {
        SCOPED_TRACE(nested ? "nested" : "flat");
        TMainForm &form = MakeForm();
        form.SaveAll = SaveAllFiles;
        const QString path = Project(nested ? QStringLiteral("deep") : QStringLiteral("wide"), n, nested);
        form.OpenProjectFile(path);
        TDesignTree &tree = *form.Tree();
        ASSERT_EQ(tree.NodeCount(), n + 1);
        EXPECT_EQ(tree.Depth(n), nested ? n : 1);
        EXPECT_TRUE(tree.NodeAt(n)->parent()->isExpanded());
        tree.setCurrentItem(tree.NodeAt(n));
        form.MarkModified();
        form.Save1Click();
        EXPECT_FALSE(form.Modified);
        EXPECT_EQ(form.Document->GetItem(n - 1).Level, QString::number(nested ? n - 1 : 0));
        // Opening, selecting and publishing look at each node a few times, not once per item.
        EXPECT_LE(tree.NodeVisits(), 6 * n);
        // Closing takes the nodes down without one nested call per level.
        form.New1Click();
        EXPECT_EQ(tree.NodeCount(), 1);
        form.OpenProjectFile(path);
        EXPECT_EQ(tree.NodeCount(), n + 1);
        this->form.reset();
    }
}

TEST_F(FileCommands, SaveTakesBothPanesIntoTheDocumentFirst)
{
    TMainForm &form = MakeForm();
    form.SaveAll = SaveAllFiles;
    form.OpenProjectFile(Project(QStringLiteral("panes")));
    form.Tree()->setCurrentItem(form.Tree()->NodeAt(1));
    Find<QLineEdit>("edt_IToolTip")->setText(QStringLiteral("evening"));
    Find<QSpinBox>("spnedt_ActiveItemWidth")->setValue(500);
    form.Save1Click();
    EXPECT_EQ(form.Document->GetItem(0).HTitle, QStringLiteral("evening"));
    EXPECT_EQ(form.Document->AppletData.ActiveItemWidth, QStringLiteral("500"));
    EXPECT_TRUE(ReadAll(form.ProjectFileName).contains("#$@evening#$@"));
}

TEST_F(FileCommands, SaveAsMovesTheProjectAndLeavesModifiedAlone)
{
    for (const bool modified : {true, false}) {
        SCOPED_TRACE(modified ? "modified" : "unmodified");
        saves.clear();
        TMainForm &form = MakeForm();
        form.ProjectFileName = scratch.Work() + QStringLiteral("old/gallery.qmreel1");
        if (modified)
            form.MarkModified();
        prompts.files.push_back(scratch.Work() + QStringLiteral("new/copy"));
        form.Save2->trigger();
        ASSERT_EQ(saves.size(), 1u);
        EXPECT_EQ(saves[0].folder, scratch.Work() + QStringLiteral("new/"));
        EXPECT_EQ(saves[0].fileName, QStringLiteral("copy"));
        EXPECT_EQ(form.ProjectFileName, scratch.Work() + QStringLiteral("new/copy"));
        EXPECT_EQ(form.Modified, modified);
        EXPECT_EQ(form.tlbtnSave->isEnabled(), modified);
        EXPECT_EQ(form.Save1->isEnabled(), modified);
        EXPECT_TRUE(MenuCaptions().isEmpty());

        // Later Saves go to the new place; a dismissed Save As changes nothing.
        form.Save1Click();
        ASSERT_EQ(saves.size(), 2u);
        EXPECT_EQ(saves[1].folder, scratch.Work() + QStringLiteral("new/"));
        form.MarkModified();
        form.Save2Click();
        EXPECT_EQ(saves.size(), 2u);
        EXPECT_TRUE(form.Modified);
        EXPECT_EQ(form.ProjectFileName, scratch.Work() + QStringLiteral("new/copy"));
    }
}

TEST_F(FileCommands, SaveDialogsAskBeforeReplacingTheProjectTheSaveWrites)
{
    const QString folder = scratch.Work() + QStringLiteral("site/");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile existing(folder + QStringLiteral("gallery.qmreel1"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    const QString question = QStringLiteral("warning: ") + ReplaceQuestion(folder + QStringLiteral("gallery.qmreel1"));

    enum class Command { Save, SaveAs, Close };
    struct Case
    {
        const char *name;
        Command command;
        QString typed;
        bool asks;
    };
    const Case cases[] = {
        {"Save, typed without extension", Command::Save, QStringLiteral("gallery"), true},
        {"Save As, typed with extension", Command::SaveAs, QStringLiteral("gallery.qmreel1"), true},
        {"Save As, another extension writes the same project", Command::SaveAs, QStringLiteral("gallery.txt"), true},
        {"close query, typed without extension", Command::Close, QStringLiteral("gallery"), true},
        {"Save, a new name", Command::Save, QStringLiteral("another"), false},
    };
    for (const Case &c : cases) {
        for (const TAnswer answer : {TAnswer::No, TAnswer::Yes}) {
            SCOPED_TRACE(std::string(c.name) + (answer == TAnswer::Yes ? ", Yes" : ", No"));
            prompts = TScriptedPrompts();
            saves.clear();
            TMainForm &form = MakeForm();
            form.MarkModified();
            if (c.command == Command::Close)
                prompts.answers.push_back(TAnswer::Yes); // "Save changes to files before Exit?"
            prompts.files.push_back(folder + c.typed);
            if (c.asks)
                prompts.answers.push_back(answer);
            // After No the dialog comes again, in the folder of the refused choice, and is dismissed.
            switch (c.command) {
            case Command::Save:
                form.Save1Click();
                break;
            case Command::SaveAs:
                form.Save2Click();
                break;
            case Command::Close:
                form.close();
                break;
            }
            const bool saved = !c.asks || answer == TAnswer::Yes;
            EXPECT_EQ(prompts.calls.contains(question), c.asks) << Calls().toStdString();
            EXPECT_EQ(saves.size(), saved ? 1u : 0u) << Calls().toStdString();
            if (saved) {
                EXPECT_EQ(saves[0].fileName, c.typed);
            } else {
                EXPECT_EQ(prompts.calls.last(),
                          QStringLiteral("save: %1 | %2 | overwrite-check").arg(kFilter, QDir::toNativeSeparators(folder.chopped(1))));
                EXPECT_TRUE(form.Modified);
            }
        }
    }
}

// ---------------------------------------------------------------- long saves

TEST_F(FileCommands, ALongSaveAnswersRefusesOtherCommandsAndStopsOnCancelWithNothingLost)
{
    TMainForm &form = MakeForm();
    form.show();
    const QString project = Project(QStringLiteral("trip"));
    form.OpenProjectFile(project);
    form.MarkModified();
    prompts.calls.clear();
    form.SaveAll = [&](TAppletAgent &, const QString &, const QString &, IItemTree &, IProgress &progress) {
        saves.push_back({});
        progress.SetStage(QStringLiteral("Processing images ..."));
        progress.SetCount(2, 5);
        // Meanwhile other commands, the same one again and closing the window do nothing.
        form.Save1->trigger();
        form.New1->trigger();
        form.Preview1->trigger();
        EXPECT_FALSE(form.close());
        // The dialog comes once the save has taken a while; its Cancel stops the save.
        QElapsedTimer waited;
        waited.start();
        QDialog *dialog = nullptr;
        while (!(dialog = form.findChild<QDialog *>(QStringLiteral("dlgProgress"))) && waited.elapsed() < 10000)
            progress.Pause(10);
        if (!dialog) {
            ADD_FAILURE() << "no progress dialog";
            return true;
        }
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("lblStage"))->text(), QStringLiteral("Processing images ..."));
        EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("lblCount"))->text(), QStringLiteral("2 of 5"));
        dialog->findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
        CheckIn(progress);
        ADD_FAILURE() << "the save went on after Cancel";
        return true;
    };
    form.Save1->trigger();

    EXPECT_EQ(saves.size(), 1u);
    EXPECT_TRUE(form.Modified && form.Save1->isEnabled());
    EXPECT_EQ(form.ProjectFileName, project);
    EXPECT_TRUE(prompts.calls.isEmpty()) << Calls().toStdString();
    EXPECT_EQ(form.findChild<QDialog *>(QStringLiteral("dlgProgress")), nullptr);
    EXPECT_FALSE(form.Busy());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(FileCommands, PicturesASaveCouldNotReadAreNamedInOneBoxOfAtMostTenLines)
{
    for (const int count : {0, 1, 10, 12}) {
        SCOPED_TRACE(count);
        prompts = TScriptedPrompts();
        TMainForm &form = MakeForm();
        form.SaveAll = [count](TAppletAgent &document, const QString &, const QString &, IItemTree &, IProgress &) {
            document.UnreadablePictures.clear();
            for (int i = 0; i < count; ++i)
                document.UnreadablePictures.push_back(
                    {i * 2, QStringLiteral("/pictures/bad%1.jpg").arg(i), QStringLiteral("Not a JPEG file.")});
            return true;
        };
        prompts.files.push_back(scratch.Work() + QStringLiteral("gallery"));
        form.Save2Click();
        if (count == 0) {
            EXPECT_TRUE(prompts.messages.isEmpty());
            continue;
        }
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_TRUE(prompts.calls.last().startsWith(QStringLiteral("error: ")));
        const QStringList lines = prompts.messages[0].split(QLatin1Char('\n'));
        EXPECT_EQ(lines.size(), 2 + std::min(count, 10) + (count > 10 ? 1 : 0));
        EXPECT_EQ(lines[2], QStringLiteral("Item 1, bad0.jpg: Not a JPEG file."));
        EXPECT_EQ(lines.last(), count > 10 ? QStringLiteral("and 2 more")
                                           : QStringLiteral("Item %1, bad%2.jpg: Not a JPEG file.").arg(2 * count - 1).arg(count - 1));
    }
}
