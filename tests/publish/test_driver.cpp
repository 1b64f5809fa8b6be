// The publishing driver: base names, the preview folder's bookkeeping, a save
// into an output folder and a preview, and what a failing step leaves behind.
#include "test_driver_fixture.h"

#include "ErrorOf.h"

#include "model/Error.h"
#include "model/MemorySeams.h"
#include "model/SaveFile.h"
#include "publish/Driver.h"
#include "publish/Folders.h"
#include "publish/WorkingFiles.h"

#include <QDateTime>

#include <cerrno>

using namespace publishtest;

namespace {

// A document whose items use the given source pictures, with a matching tree.
struct Gallery
{
    TAppletAgent document = DefaultDocument();
    MemoryItemTree tree;

    void Add(const QString &source)
    {
        TItemData item = TAppletAgent::NewItem();
        item.OriginalImagePath = source;
        item.Level = QStringLiteral("0");
        document.Items.push_back(item);
        tree.AddLastChild(0, source);
    }
};

const QStringList kPlayerFiles{"expressinstall.swf", "foldreel.swf", "swfobject.js"};

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

TEST(DriverSaveBaseName, ExtensionRemovedIgnoringCase)
{
    EXPECT_EQ(SaveBaseName(QStringLiteral("gallery.qmreel1")), QStringLiteral("gallery"));
    EXPECT_EQ(SaveBaseName(QStringLiteral("gallery.QMREEL1")), QStringLiteral("gallery"));
    EXPECT_EQ(SaveBaseName(QStringLiteral("gallery")), QStringLiteral("gallery"));
    EXPECT_EQ(SaveBaseName(QStringLiteral("my.gallery.qmreel1")), QStringLiteral("my.gallery"));
    // Every occurrence of the extension goes.
    EXPECT_EQ(SaveBaseName(QStringLiteral("a.Txt.b.txt")), QStringLiteral("a.b"));
    EXPECT_EQ(SavedPagePath(QStringLiteral("/out/"), QStringLiteral("g.qmreel1")), QStringLiteral("/out/g.html"));
}

class DriverWorkingFiles : public PublishTest
{
};

TEST_F(DriverWorkingFiles, AddCopiesIntoThePreviewFolderUnlessAlreadyThere)
{
    TAppletAgent document = DefaultDocument();
    WriteBytes(Work() + "a.txt", "outside");
    AddWorkingFile(document, Work() + "a.txt");
    EXPECT_EQ(ReadBytes(Preview() + "a.txt"), QByteArray("outside"));

    // A path in the preview folder, in any letter case, is only recorded.
    WriteBytes(Preview() + "b.txt", "inside");
    AddWorkingFile(document, Preview() + "b.txt");
    AddWorkingFile(document, Preview().toUpper() + "B.TXT");
    EXPECT_EQ(FilesIn(Preview()), (QStringList{"a.txt", "b.txt"}));
    EXPECT_EQ(ReadBytes(Preview() + "b.txt"), QByteArray("inside"));
    // Recorded whether or not a copy happened or succeeded.
    AddWorkingFile(document, Work() + "missing.txt");
    EXPECT_EQ(document.WorkingFiles, (QStringList{"a.txt", "b.txt", "B.TXT", "missing.txt"}));
}

TEST_F(DriverWorkingFiles, CleanupAfterSeveralBuildsRemovesTheFolder)
{
    Gallery gallery;
    MemoryProgress progress;
    for (int i = 0; i < 3; ++i) {
        BuildOutput(gallery.document, Temp() + "~preview.html", gallery.tree, progress);
        CopyLinkedFiles(gallery.document, PlayerFolder());
    }
    EXPECT_EQ(gallery.document.WorkingFiles.size(), 3 * (3 + 5));
    EXPECT_EQ(FilesIn(Preview()), Sorted(kPlayerFiles + QStringList{"slideshow1config.xml", "slideshow1data.js", "slideshow1items.xml"}));

    CleanupWorkingFiles(gallery.document);
    EXPECT_TRUE(gallery.document.WorkingFiles.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Preview()));

    // A file placed there by other means keeps the folder, and stays.
    BuildOutput(gallery.document, Temp() + "~preview.html", gallery.tree, progress);
    WriteBytes(Preview() + "foreign.txt", "x");
    CleanupWorkingFiles(gallery.document);
    EXPECT_EQ(FilesIn(Preview()), QStringList{"foreign.txt"});
}

class Driver : public PublishTest
{
protected:
    void SetUp() override
    {
        PublishTest::SetUp();
        for (const QString &name : kPlayerFiles)
            ASSERT_TRUE(QFileInfo::exists(PlayerFolder() + name)) << "player file missing beside the tests: " << name.toStdString();
    }

    QString Output() const { return Work() + QStringLiteral("out/"); }
};

TEST_F(Driver, SaveWithoutItemsAssemblesTheOutputFolder)
{
    Gallery gallery;
    QDir().mkpath(Output());
    MemoryProgress progress;
    EXPECT_TRUE(SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery.QMREEL1"), gallery.tree, progress));
    EXPECT_EQ(FilesIn(Output()), Sorted(kPlayerFiles + QStringList{"gallery.html", "gallery.qmreel1", "gallery_readme.txt",
                                                                   "slideshow1config.xml", "slideshow1data.js", "slideshow1items.xml"}));
    // The player files are the delivered ones.
    for (const QString &name : kPlayerFiles)
        EXPECT_EQ(ReadBytes(Output() + name), ReadBytes(PlayerFolder() + name));
    // The temp folder keeps nothing of the build.
    EXPECT_TRUE(FilesIn(Temp()).isEmpty());

    EXPECT_EQ(progress.stages, (QStringList{"Making HTML Codes ... ...", "Processing images ...", "Saving Data ... ...",
                                            "Generating readme file ...", "Copying Required Files ... ..."}));
    EXPECT_EQ(progress.position, 0);
    EXPECT_TRUE(progress.stage.isEmpty());
    EXPECT_FALSE(progress.busy);
    EXPECT_EQ(progress.events.mid(progress.events.size() - 8),
              (QStringList{"max 100", "stage Copying Required Files ... ...", "busy", "step 50", "step 50", "pos 0", "stage ", "idle"}));
}

TEST_F(Driver, SaveOfThreeItemsWithOneMissing)
{
    WriteBytes(Work() + "red.bmp", BmpBytes(40, 30, 255, 0, 0));
    WriteBytes(Work() + "blue.bmp", BmpBytes(30, 40, 0, 0, 255));
    Gallery gallery;
    gallery.Add(Work() + "red.bmp");
    gallery.Add(Work() + "gone.bmp");
    gallery.Add(QStringLiteral("  ") + Work() + "blue.bmp  ");
    gallery.document.AppletData.ScriptName = QStringLiteral("my gallery");
    QDir().mkpath(Output());
    MemoryProgress progress;
    SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery"), gallery.tree, progress);

    EXPECT_EQ(FilesIn(Output()),
              Sorted(kPlayerFiles + QStringList{"gallery.html", "gallery.qmreel1", "gallery_readme.txt", "mygalleryconfig.xml",
                                                "mygallerydata.js", "mygalleryitems.xml", "p0_t.bmp", "p2_t.bmp"}));
    EXPECT_EQ(gallery.tree.Caption(2), QStringLiteral("Warning: Original image not found."));
    EXPECT_EQ(gallery.document.Items[0].ImageFile, QStringLiteral("p0_t.bmp"));
    EXPECT_TRUE(gallery.document.Items[1].ImageFile.isEmpty());
    const QByteArray readme = ReadBytes(Output() + "gallery_readme.txt");
    EXPECT_TRUE(readme.contains("[Image and/or Sound File(s)]:\r\n  p0_t.bmp\r\n  p2_t.bmp\r\n\r\n"));
    EXPECT_TRUE(readme.contains("  mygalleryconfig.xml\r\n  mygalleryitems.xml\r\n"));
    EXPECT_TRUE(ReadBytes(Output() + "gallery.html").contains("<img src=\"p0_t.bmp\" width=\"817\" height=\"375\""));
    EXPECT_TRUE(ReadBytes(Output() + "gallery.qmreel1").contains("p2_t.bmp#$@"));

    // Saving again replaces everything without asking.
    SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery"), gallery.tree, progress);
    EXPECT_EQ(FilesIn(Output()).size(), 11);
}

TEST_F(Driver, PreviewSequencePutsEverythingBesideThePage)
{
    WriteBytes(Work() + "red.bmp", BmpBytes(20, 10, 255, 0, 0));
    Gallery gallery;
    gallery.Add(Work() + "red.bmp");
    MemoryProgress progress;
    const QString page = TempFolder() + QStringLiteral("~preview.html");
    BuildOutput(gallery.document, page, gallery.tree, progress);
    CopyLinkedFiles(gallery.document, PlayerFolder());
    CopyResourceFiles(gallery.document, PlayerFolder(), progress);
    AddWorkingFile(gallery.document, page);
    QFile::remove(page);

    EXPECT_EQ(FilesIn(Preview()), Sorted(kPlayerFiles + QStringList{"slideshow1config.xml", "slideshow1data.js", "slideshow1items.xml",
                                                                    "p0_t.bmp", "~preview.html"}));
    EXPECT_TRUE(FilesIn(Temp()).isEmpty());
    EXPECT_EQ(progress.stages, (QStringList{"Making HTML Codes ... ...", "Processing images ...", "Copying Resource Files ... ..."}));
    EXPECT_TRUE(progress.stage.isEmpty());
    EXPECT_EQ(progress.position, 0);
}

TEST_F(Driver, TwiceSizePicturesReachTheFolderThePageTheItemsFileAndTheReadme)
{
    WriteBytes(Work() + "large.bmp", BmpBytes(1400, 800, 255, 0, 0));
    WriteBytes(Work() + "small.bmp", BmpBytes(700, 400, 0, 0, 255));
    Gallery gallery;
    gallery.Add(Work() + "large.bmp");
    gallery.Add(Work() + "small.bmp");
    gallery.document.AppletExtras.HiDpi = QStringLiteral("1");
    QDir().mkpath(Output());
    MemoryProgress progress;
    SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery"), gallery.tree, progress);

    EXPECT_EQ(FilesIn(Output()),
              Sorted(kPlayerFiles + QStringList{"gallery.html", "gallery.qmreel1", "gallery_readme.txt", "p0_t.bmp", "p0_t@2x.bmp",
                                                "p1_t.bmp", "slideshow1config.xml", "slideshow1data.js", "slideshow1items.xml"}));
    EXPECT_TRUE(ReadBytes(Output() + "gallery.html").contains("<img src=\"p0_t.bmp\" srcset=\"p0_t@2x.bmp 2x\" width=\"742\""));
    const QByteArray items = ReadBytes(Output() + "slideshow1items.xml");
    EXPECT_EQ(items.count("srcset=\"p0_t@2x.bmp 2x\""), 1);
    EXPECT_EQ(items.count("srcset"), 1);
    EXPECT_TRUE(ReadBytes(Output() + "slideshow1data.js").contains("srcset=\\\"p0_t@2x.bmp 2x\\\""));
    EXPECT_TRUE(ReadBytes(Output() + "gallery_readme.txt")
                    .contains("[Image and/or Sound File(s)]:\r\n  p0_t.bmp\r\n  p1_t.bmp\r\n  p0_t@2x.bmp\r\n\r\n"));
    EXPECT_TRUE(ReadBytes(Output() + "gallery.qmreel1").contains("</Applet_Parameters>\r\nHiDpi=1\r\n<Item_Parameters>"));

    // Turned off again: a build offers, lists and copies no larger picture.
    gallery.document.AppletExtras.HiDpi = QStringLiteral("0");
    const QString again = Work() + QStringLiteral("again/");
    QDir().mkpath(again);
    SaveAllFiles(gallery.document, again, QStringLiteral("gallery"), gallery.tree, progress);
    EXPECT_FALSE(FilesIn(again).contains(QStringLiteral("p0_t@2x.bmp")));
    EXPECT_FALSE(ReadBytes(again + "gallery.html").contains("srcset"));
    EXPECT_FALSE(ReadBytes(again + "gallery_readme.txt").contains("@2x"));
}

TEST_F(Driver, BadGalleryNameWritesNothing)
{
    Gallery gallery;
    gallery.document.AppletData.ScriptName = QStringLiteral("../../evil");
    QDir().mkpath(Output());
    MemoryProgress progress;
    try {
        SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery.qmreel1"), gallery.tree, progress);
        FAIL() << "the gallery name was accepted";
    } catch (const QmError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("character /"))) << e.message().toStdString();
    }
    EXPECT_TRUE(FilesIn(Output()).isEmpty());
    EXPECT_TRUE(FilesIn(Preview()).isEmpty());
    EXPECT_TRUE(FilesIn(Work()).isEmpty());
    EXPECT_THROW(BuildOutput(gallery.document, Work() + "p.html", gallery.tree, progress), QmError);
    EXPECT_FALSE(QFileInfo::exists(Work() + "p.html"));
}

TEST_F(Driver, AFailingBuildStillSavesTheProject)
{
    WriteBytes(Work() + "good.bmp", BmpBytes(8, 8, 0, 255, 0));
    Gallery gallery;
    gallery.Add(Work() + "good.bmp");
    gallery.Add(Work() + "good.bmp");
    gallery.document.Items[1].HTitle = QStringLiteral("unsaved edit");
    MemoryProgress progress;
    SetWriteFault([](const QString &path, WriteStep) { return path.endsWith(QLatin1String("config.xml")) ? ENOSPC : 0; });
    const QString message =
        ErrorOf([&] { SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery.qmreel1"), gallery.tree, progress); });
    SetWriteFault({});
    EXPECT_TRUE(message.contains(QStringLiteral("No space left on device"))) << message.toStdString();
    // Into the folder the save made for it.
    EXPECT_TRUE(ReadBytes(Output() + "gallery.qmreel1").contains("unsaved edit"));
    EXPECT_FALSE(QFileInfo::exists(Output() + "gallery.html"));
    // The progress display is back at rest.
    EXPECT_EQ(progress.position, 0);
    EXPECT_TRUE(progress.stage.isEmpty());
    EXPECT_FALSE(progress.busy);
}

TEST_F(Driver, OneUnreadablePictureAmongGoodOnesIsLeftOutAndNamedOnce)
{
    WriteBytes(Work() + "red.bmp", BmpBytes(40, 30, 255, 0, 0));
    WriteBytes(Work() + "broken.jpg", "GIF89a named like a JPEG");
    Gallery gallery;
    gallery.Add(Work() + "red.bmp");
    gallery.Add(Work() + "broken.jpg");
    gallery.Add(Work() + "red.bmp");
    MemoryProgress progress;
    EXPECT_TRUE(SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery"), gallery.tree, progress));

    EXPECT_EQ(FilesIn(Output()),
              Sorted(kPlayerFiles + QStringList{"gallery.html", "gallery.qmreel1", "gallery_readme.txt", "slideshow1config.xml",
                                                "slideshow1data.js", "slideshow1items.xml", "p0_t.bmp", "p2_t.bmp"}));
    EXPECT_EQ(gallery.tree.Caption(2), QStringLiteral("Warning: Original image cannot be read."));
    ASSERT_EQ(gallery.document.UnreadablePictures.size(), 1u);
    EXPECT_EQ(gallery.document.UnreadablePictures[0].Item, 1);
    EXPECT_TRUE(ReadBytes(Output() + "gallery_readme.txt").contains("  p0_t.bmp\r\n  p2_t.bmp\r\n\r\n"));
    EXPECT_TRUE(ReadBytes(Output() + "slideshow1items.xml").contains("p2_t.bmp"));
}

TEST_F(Driver, ACancelledSaveOrPreviewWritesNothingAndLeavesNoWorkingFiles)
{
    WriteBytes(Work() + "red.bmp", BmpBytes(40, 30, 255, 0, 0));
    WriteBytes(Work() + "blue.bmp", BmpBytes(30, 40, 0, 0, 255));
    Gallery gallery;
    for (int i = 0; i < 6; ++i)
        gallery.Add(Work() + (i % 2 ? "blue.bmp" : "red.bmp"));
    MemoryProgress progress;
    SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery.qmreel1"), gallery.tree, progress);
    // Every file of the next save would differ.
    gallery.document.AppletData.ThumbFillColor = QStringLiteral("00FF00");
    gallery.document.AppletData.PreviewBgColor = QStringLiteral("123456");
    const auto published = FolderBytes(Output());
    const auto preview = FolderBytes(Preview());
    const QStringList workingFiles = gallery.document.WorkingFiles;

    const QString newFolder = Work() + QStringLiteral("trip2/");
    for (const QString &folder : {Output(), newFolder})
        for (int stopAt : {0, 3, 6}) {
            SCOPED_TRACE(testing::Message() << folder.toStdString() << ", stopped at " << stopAt);
            progress.cancelWhen = [&] { return progress.highest >= stopAt; };
            EXPECT_THROW(SaveAllFiles(gallery.document, folder, QStringLiteral("gallery.qmreel1"), gallery.tree, progress), TCancelled);
            EXPECT_THROW(BuildOutput(gallery.document, Temp() + "~preview.html", gallery.tree, progress), TCancelled);
            EXPECT_EQ(FolderBytes(Output()), published);
            EXPECT_FALSE(QFileInfo::exists(newFolder));
            EXPECT_EQ(FolderBytes(Preview()), preview);
            EXPECT_EQ(gallery.document.WorkingFiles, workingFiles);
            EXPECT_TRUE(FilesIn(Temp()).isEmpty());
            EXPECT_FALSE(progress.busy);
        }

    // Not cancelled, a save into a folder that does not exist yet makes it.
    progress.cancelWhen = {};
    SaveAllFiles(gallery.document, newFolder, QStringLiteral("gallery.qmreel1"), gallery.tree, progress);
    EXPECT_EQ(FilesIn(newFolder).size(), published.size());
}

TEST_F(Driver, HandEditedNamesNeverReachOutsideTheFolders)
{
    // A stale picture name from a project file that points out of the preview folder.
    TempFolder();
    WriteBytes(AppFolder() + "secret.txt", "secret");
    Gallery gallery;
    gallery.Add(Work() + "missing.jpg");
    gallery.document.Items[0].ImageFile = QStringLiteral("../secret.txt");
    gallery.document.Items[0].ExtraImageFile = QStringLiteral("../../../../secret.txt");
    QDir().mkpath(Output());
    MemoryProgress progress;
    SaveAllFiles(gallery.document, Output(), QStringLiteral("g"), gallery.tree, progress);
    EXPECT_FALSE(QFileInfo::exists(Work() + "secret.txt"));
    EXPECT_FALSE(FilesIn(Output()).contains(QStringLiteral("secret.txt")));
}

TEST_F(Driver, ProjectSavedAfterAFailingBuildOpensAgain)
{
    WriteBytes(Work() + "good.bmp", BmpBytes(8, 8, 0, 255, 0));
    Gallery gallery;
    for (int i = 0; i < 3; ++i)
        gallery.Add(Work() + "good.bmp");
    gallery.document.AppletData.ItemHeight = QStringLiteral("tall");
    // The item shown in the editor comes back from its pane without a level;
    // only the build would have set it again from the tree.
    gallery.document.Items[0].Level.clear();
    gallery.document.Items[2].Level.clear();
    QDir().mkpath(Output());
    MemoryProgress progress;
    EXPECT_THROW(SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery.qmreel1"), gallery.tree, progress), QmError);

    TAppletAgent reopened;
    MemoryItemTree tree;
    ASSERT_EQ(reopened.LoadProject(Output() + "gallery.qmreel1", tree, progress), LoadResult::Loaded);
    ASSERT_EQ(reopened.Items.size(), 3u);
    for (const TItemData &item : reopened.Items)
        EXPECT_EQ(item.Level, QStringLiteral("0"));
    EXPECT_EQ(tree.NodeCount(), 4);
}

TEST_F(Driver, EveryOutputReplacesALinkOfItsNameAndLeavesTheTargetAlone)
{
    WriteBytes(Work() + "red.bmp", BmpBytes(40, 30, 255, 0, 0));
    Gallery gallery;
    gallery.Add(Work() + "red.bmp");
    QDir().mkpath(Output());
    QDir().mkpath(Work() + "elsewhere");
    const QStringList names{"gallery.html",      "gallery.qmreel1",     "gallery_readme.txt", "slideshow1config.xml",
                            "slideshow1data.js", "slideshow1items.xml", "foldreel.swf",       "p0_t.bmp"};
    for (const QString &name : names) {
        WriteBytes(Work() + "elsewhere/" + name, "not ours");
        ASSERT_TRUE(QFile::link(Work() + "elsewhere/" + name, Output() + name));
    }
    MemoryProgress progress;
    SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery.qmreel1"), gallery.tree, progress);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(QFileInfo(Output() + name).isSymLink());
        EXPECT_NE(ReadBytes(Output() + name), QByteArray("not ours"));
        EXPECT_EQ(ReadBytes(Work() + "elsewhere/" + name), QByteArray("not ours"));
    }
}

// A build that changes nothing leaves the published files alone, and one that changes
// a picture rewrites just that one, even when the new file is as long as the old.
TEST_F(Driver, ASaveRewritesOnlyTheFilesWhoseBytesChanged)
{
    WriteBytes(Work() + "a.bmp", BmpBytes(40, 30, 255, 0, 0));
    WriteBytes(Work() + "b.bmp", BmpBytes(40, 30, 0, 0, 255));
    Gallery gallery;
    gallery.Add(Work() + "a.bmp");
    gallery.Add(Work() + "b.bmp");
    QDir().mkpath(Output());
    MemoryProgress progress;
    ASSERT_TRUE(SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery.qmreel1"), gallery.tree, progress));
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-1);
    for (const QString &name : FilesIn(Output())) {
        QFile file(Output() + name);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    WriteBytes(Work() + "b.bmp", BmpBytes(40, 30, 0, 255, 0));
    ASSERT_TRUE(SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery.qmreel1"), gallery.tree, progress));
    QStringList rewritten;
    for (const QString &name : FilesIn(Output()))
        if (QFileInfo(Output() + name).lastModified().toUTC() != old)
            rewritten << name;
    // The page, the project file and the readme are written as ever; of the copies, the
    // changed picture alone.
    EXPECT_EQ(rewritten, (QStringList{"gallery.html", "gallery.qmreel1", "gallery_readme.txt", "p1_t.bmp"}));
    EXPECT_EQ(ReadBytes(Output() + "p1_t.bmp").size(), ReadBytes(Output() + "p0_t.bmp").size());
}

TEST_F(Driver, AFullDiskRaisesTheSystemsTextAndKeepsThePreviousFiles)
{
    WriteBytes(Work() + "red.bmp", BmpBytes(40, 30, 255, 0, 0));
    Gallery gallery;
    gallery.Add(Work() + "red.bmp");
    QDir().mkpath(Output());
    MemoryProgress progress;
    SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery.qmreel1"), gallery.tree, progress);
    // The next save has other content in every file.
    WriteBytes(Work() + "red.bmp", BmpBytes(30, 40, 0, 255, 0));
    gallery.document.AppletData.PreviewBgColor = QStringLiteral("123456");

    // The page, the project file, a copied picture, a copied player file.
    for (const QString name : {"gallery.html", "gallery.qmreel1", "p0_t.bmp", "swfobject.js"}) {
        SCOPED_TRACE(name.toStdString());
        const QString target = QDir::toNativeSeparators(Output() + name);
        // A player file is copied only over another one: an older player, say.
        if (name == QLatin1String("swfobject.js"))
            WriteBytes(target, "an older player");
        const QByteArray before = ReadBytes(target);
        SetWriteFault([&](const QString &path, WriteStep) { return QDir::toNativeSeparators(path) == target ? ENOSPC : 0; });
        const QString message =
            ErrorOf([&] { SaveAllFiles(gallery.document, Output(), QStringLiteral("gallery.qmreel1"), gallery.tree, progress); });
        SetWriteFault({});
        EXPECT_TRUE(message.contains(QStringLiteral("\"%1\". No space left on device").arg(target))) << message.toStdString();
        EXPECT_EQ(ReadBytes(target), before);
    }
}

TEST_F(Driver, NamesBeyondTheFileNameLimitAreRefusedBeforeAnythingIsWritten)
{
    const int limit = MaxFileNameBytes(Work());
    // The longest name leaves room for "_readme.txt" or "config.xml" and the temporary name beside it.
    const int longestProject = limit - kTemporaryNameExtra - 11, longestGallery = limit - kTemporaryNameExtra - 10;
    struct Case
    {
        const char *what;
        int projectBytes, galleryBytes;
        const char *refused; // the value the message names, or nullptr when the save goes through
        int allowed;
    };
    const Case cases[] = {
        {"longest project name", longestProject, 10, nullptr, 0},
        {"longest gallery name", 10, longestGallery, nullptr, 0},
        {"project name a byte too long", longestProject + 1, 10, "project name", longestProject},
        {"gallery name a byte too long", 10, longestGallery + 1, "gallery name", longestGallery},
        {"gallery name of 300 letters", 10, 300, "gallery name", longestGallery},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(Output()).removeRecursively();
        QDir(Preview()).removeRecursively();
        QDir().mkpath(Output());
        Gallery gallery;
        gallery.document.AppletData.ScriptName = QString(c.galleryBytes, QLatin1Char('g'));
        const QString fileName = QString(c.projectBytes, QLatin1Char('p')) + QStringLiteral(".qmreel1");
        MemoryProgress progress;
        // Twice: a second save replaces every file through its temporary name.
        for (int save = 0; save < 2; ++save) {
            const QString message = ErrorOf([&] { SaveAllFiles(gallery.document, Output(), fileName, gallery.tree, progress); });
            if (!c.refused) {
                EXPECT_EQ(message, QStringLiteral("(no error)"));
                continue;
            }
            EXPECT_TRUE(message.startsWith(QStringLiteral("The %1 ").arg(QLatin1String(c.refused)))) << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("at most %1 bytes long").arg(limit))) << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("at most %1 bytes (it has").arg(c.allowed))) << message.toStdString();
            EXPECT_FALSE(message.contains(AppFolder())) << message.toStdString();
            EXPECT_TRUE(FilesIn(Output()).isEmpty());
            EXPECT_TRUE(FilesIn(Preview()).isEmpty());
            EXPECT_TRUE(FilesIn(Temp()).isEmpty());
        }
        if (c.refused && QString::fromLatin1(c.refused) == QLatin1String("gallery name")) {
            // The preview refuses it the same way.
            const QString message = ErrorOf([&] { BuildOutput(gallery.document, Temp() + "~preview.html", gallery.tree, progress); });
            EXPECT_TRUE(message.startsWith(QStringLiteral("The gallery name "))) << message.toStdString();
            EXPECT_TRUE(FilesIn(Temp()).isEmpty());
        }
    }
}
