// The project file: byte-exact writing, reading back, tolerated extras, refusals and repairs.
#include "ErrorOf.h"
#include "Golden.h"
#include "fuzz/project_check.h"

#include "model/AppletAgent.h"
#include "model/Error.h"
#include "model/MemorySeams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <thread>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

namespace {

class ProjectFile : public ::testing::Test
{
protected:
    QString Path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    void Write(const char *name, const QByteArray &bytes) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray Read(const char *name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A file with the given gallery line and item lines, CR LF throughout.
    static QByteArray Project(const QByteArray &product, const QByteArray &gallery, const QList<QByteArray> &items, bool closed = true)
    {
        QByteArray out = "<Product_Name>\r\n" + product +
                         "\r\n</Product_Name>\r\n<Product_Version>\r\n2.5\r\n"
                         "</Product_Version>\r\n<Applet_Parameters>\r\n" +
                         gallery +
                         "\r\n</Applet_Parameters>\r\n"
                         "<Item_Parameters>\r\n";
        for (const QByteArray &item : items)
            out += item + "\r\n";
        if (closed)
            out += "</Item_Parameters>\r\n";
        return out;
    }

    static QByteArray ItemLine(const char *path, int level)
    {
        return QByteArray("p#$@#$@") + path + "#$@http://x#$@_blank#$@h#$@v#$@" + QByteArray::number(level) + "#$@#$@#$@#$@";
    }

    void ExpectUnchanged(const TAppletAgent &doc, const MemoryItemTree &tree) const
    {
        EXPECT_EQ(doc.AppletData.ScriptName, QStringLiteral("before"));
        ASSERT_EQ(doc.Items.size(), 1u);
        EXPECT_EQ(doc.Items[0].HTitle, QStringLiteral("kept"));
        EXPECT_EQ(doc.FileVersion, QStringLiteral("old"));
        EXPECT_EQ(tree.NodeCount(), 1);
    }

    QTemporaryDir dir;
    MemoryItemTree tree;
    MemoryProgress progress;
};

} // namespace

TEST_F(ProjectFile, NewProjectIsFifteenLinesByteForByte)
{
    TAppletAgent doc;
    doc.SetDefaults();
    doc.AppletData.InactiveItemAlpha.clear(); // Save reads the gallery pane first, which has no control for it
    doc.SaveProject(Path("new.qmreel1"), progress);
    EXPECT_EQ(Read("new.qmreel1"), Golden("model/data/new-project.qmreel1"));
    EXPECT_EQ(progress.maximum, 15);
    EXPECT_EQ(progress.highest, 15);
    EXPECT_EQ(progress.stages, QStringList{QStringLiteral("Saving Data ... ...")});
    EXPECT_EQ(progress.position, 0);
    EXPECT_TRUE(progress.stage.isEmpty());
    EXPECT_FALSE(progress.busy);
}

TEST_F(ProjectFile, ItemLinesEndInThreeSeparatorsAndCountElevenSteps)
{
    TAppletAgent doc;
    doc.SetDefaults();
    for (int i = 0; i < 2; ++i) {
        TItemData item = TAppletAgent::NewItem();
        item.Level = QStringLiteral("0");
        doc.Items.push_back(item);
    }
    doc.SaveProject(Path("two.qmreel1"), progress);
    const QList<QByteArray> lines = Read("two.qmreel1").split('\n');
    EXPECT_EQ(lines.size(), 17 + 1); // 17 lines, each ending in CR LF
    EXPECT_EQ(lines[14], QByteArray("#$@#$@#$@#$@_self#$@#$@#$@0#$@#$@#$@#$@\r"));
    EXPECT_EQ(progress.maximum, 37);
    EXPECT_EQ(progress.highest, 37);
}

// The focal point is the tenth value, the first of the two every reader drops: written
// only when set, read back when readable and as none when not.
TEST_F(ProjectFile, FocalPointIsTheTenthValueWhenSetAndNoneWhenUnreadable)
{
    const struct
    {
        QByteArray stored;
        const char *read;
    } cases[] = {{"40,25", "40,25"}, {"0,100", "0,100"}, {" 7 , 09 ", "7,9"}, {"", ""},        {"101,5", ""},
                 {"-1,5", ""},       {"40", ""},         {"a,b", ""},         {"40,25,3", ""}, {",", ""}};
    const QByteArray head = "#$@#$@/a/1.jpg#$@#$@_self#$@#$@#$@0#$@#$@";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        Write("focus.qmreel1", Project("Quillmere", "g#$@", {head + c.stored + "#$@#$@"}));
        TAppletAgent doc;
        MemoryItemTree fresh;
        ASSERT_EQ(doc.LoadProject(Path("focus.qmreel1"), fresh, progress), LoadResult::Loaded);
        ASSERT_EQ(doc.Items.size(), 1u);
        EXPECT_EQ(doc.Items[0].FocalPoint, QLatin1String(c.read));
        doc.SaveProject(Path("again.qmreel1"), progress);
        EXPECT_EQ(CrLfLines(Read("again.qmreel1")).at(14), head + c.read + "#$@#$@");
    }
}

TEST_F(ProjectFile, NestedLevelsRoundTripIntoTheSameTree)
{
    TAppletAgent doc;
    doc.SetDefaults();
    const int levels[] = {0, 1, 2, 1, 0, 1};
    int n = 0;
    for (int level : levels) {
        TItemData item = TAppletAgent::NewItem();
        item.OriginalImagePath = QStringLiteral("/pics/img%1.jpg").arg(n++);
        item.Level = QString::number(level);
        item.Link = QStringLiteral("http://example.org/%1").arg(n);
        doc.Items.push_back(item);
    }
    doc.AppletData.ScriptName = QStringLiteral("My Show");
    doc.SaveProject(Path("nested.qmreel1"), progress);

    TAppletAgent loaded;
    ASSERT_EQ(loaded.LoadProject(Path("nested.qmreel1"), tree, progress), LoadResult::Loaded);
    EXPECT_EQ(loaded.AppletData, doc.AppletData);
    EXPECT_EQ(loaded.Items, doc.Items);
    EXPECT_EQ(loaded.FileVersion, QStringLiteral("1.0"));
    EXPECT_EQ(tree.Dump(), QStringLiteral("Quillmere\n  img0.jpg\n    img1.jpg\n      img2.jpg\n    img3.jpg\n"
                                          "  img4.jpg\n    img5.jpg\n"));
    EXPECT_EQ(progress.stages.last(), QStringLiteral("Loading Data ... ..."));
    EXPECT_TRUE(progress.stage.isEmpty());
    EXPECT_FALSE(progress.busy);
}

TEST_F(ProjectFile, LevelsZeroOneOneZeroOneGiveTwoTopNodes)
{
    Write("l.qmreel1", Project("Quillmere", "a#$@",
                               {ItemLine("C:\\a\\1.jpg", 0), ItemLine("C:\\a\\2.jpg", 1), ItemLine("C:\\a\\3.jpg", 1),
                                ItemLine("C:\\a\\4.jpg", 0), ItemLine("C:\\a\\5.jpg", 1)}));
    TAppletAgent doc;
    ASSERT_EQ(doc.LoadProject(Path("l.qmreel1"), tree, progress), LoadResult::Loaded);
    EXPECT_EQ(tree.Dump(), QStringLiteral("Quillmere\n  1.jpg\n    2.jpg\n    3.jpg\n  4.jpg\n    5.jpg\n"));
}

TEST_F(ProjectFile, ExtraLinesBetweenMarkersAreIgnoredAndInsideItemsBecomeItems)
{
    Write("extra.qmreel1", "junk\r\n<Product_Name>\r\nMorrowfen\r\n</Product_Name>\r\nmore junk\r\n<Product_Version>\r\n3\r\n"
                           "after version\r\n<Applet_Parameters>\r\nx#$@1#$@\r\nbetween\r\n</Applet_Parameters>\r\n<Item_Parameters>\r\n"
                           "#$@#$@#$@#$@#$@#$@#$@0#$@\r\n"
                           "no separators but level zero is missing\r\n"
                           "</Item_Parameters>\r\ntrailing\r\n");
    TAppletAgent doc;
    // The second item line has no separators: every field empty, so its level is not a number.
    EXPECT_EQ(ErrorOf([&] { doc.LoadProject(Path("extra.qmreel1"), tree, progress); }), QStringLiteral("'' is not a valid integer value"));

    Write("extra2.qmreel1", "junk\r\n<Product_Name>\r\nMorrowfen\r\n</Product_Name>\r\nmore junk\r\n<Product_Version>\r\n3\r\n"
                            "after version\r\n<Applet_Parameters>\r\nx#$@1#$@\r\nbetween\r\n</Applet_Parameters>\r\n<Item_Parameters>\r\n"
                            "#$@#$@#$@#$@#$@#$@#$@0#$@\r\n"
                            "#$@#$@/b/extra.gif#$@#$@#$@#$@#$@0#$@\r\n"
                            "</Item_Parameters>\r\ntrailing\r\n");
    ASSERT_EQ(doc.LoadProject(Path("extra2.qmreel1"), tree, progress), LoadResult::Loaded);
    EXPECT_EQ(doc.AppletData.ScriptName, QStringLiteral("x"));
    EXPECT_EQ(doc.AppletData.ActiveItemWidth, QStringLiteral("1"));
    EXPECT_TRUE(doc.AppletData.InactiveItemWidth.isEmpty()); // fewer than 23 values: the rest stay empty
    EXPECT_EQ(doc.FileVersion, QStringLiteral("3"));
    ASSERT_EQ(doc.Items.size(), 2u);
    EXPECT_EQ(tree.Caption(2), QStringLiteral("extra.gif"));
}

TEST_F(ProjectFile, GallerySettingsOutsideTheCatalogueAreWrittenOnlyWhenOnAndReadBack)
{
    const QByteArray plain = Golden("model/data/new-project.qmreel1");
    const QByteArray marker = "</Applet_Parameters>\r\n";
    const struct
    {
        const char *hiDpi, *webP, *lines;
    } cases[] = {{"0", "0", ""}, {"1", "0", "HiDpi=1\r\n"}, {"0", "1", "WebP=1\r\n"}, {"1", "1", "HiDpi=1\r\nWebP=1\r\n"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lines);
        TAppletAgent doc;
        doc.SetDefaults();
        doc.AppletData.InactiveItemAlpha.clear();
        doc.AppletExtras = {QLatin1String(c.hiDpi), QLatin1String(c.webP)};
        doc.SaveProject(Path("extras.qmreel1"), progress);
        QByteArray expected = plain;
        expected.insert(expected.indexOf(marker) + marker.size(), c.lines);
        EXPECT_EQ(Read("extras.qmreel1"), expected);

        // Read back over a document whose settings are the other way round.
        TAppletAgent loaded;
        loaded.AppletExtras = {QLatin1String(c.webP), QLatin1String(c.hiDpi)};
        MemoryItemTree fresh;
        ASSERT_EQ(loaded.LoadProject(Path("extras.qmreel1"), fresh, progress), LoadResult::Loaded);
        EXPECT_EQ(loaded.AppletExtras, doc.AppletExtras);
        EXPECT_EQ(loaded.AppletData, doc.AppletData);
    }
}

TEST_F(ProjectFile, GallerySettingsAreReadInAnyOrderWithOtherLinesSkipped)
{
    const struct
    {
        QByteArray lines;
        const char *hiDpi, *webP;
    } cases[] = {{"WebP=1\r\nHiDpi=1\r\n", "1", "1"},
                 {"Sharpness=1\r\nbetween\r\nWebP=1\r\n", "0", "1"},
                 {"HiDpi=yes\r\nWebP=\r\nHIDPI=1\r\n HiDpi=1\r\n", "0", "0"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lines.toStdString());
        QByteArray bytes = Project("Quillmere", "g#$@", {ItemLine("/a/1.jpg", 0)});
        bytes.replace("</Applet_Parameters>\r\n", "</Applet_Parameters>\r\n" + c.lines);
        Write("order.qmreel1", bytes);
        TAppletAgent doc;
        MemoryItemTree fresh;
        ASSERT_EQ(doc.LoadProject(Path("order.qmreel1"), fresh, progress), LoadResult::Loaded);
        EXPECT_EQ(doc.AppletExtras, (TAppletExtras{QLatin1String(c.hiDpi), QLatin1String(c.webP)}));
        EXPECT_EQ(doc.AppletData.ScriptName, QStringLiteral("g"));
        EXPECT_EQ(doc.Items.size(), 1u);
    }
}

TEST_F(ProjectFile, OtherProductsAreRefusedAndChangeNothing)
{
    for (const char *product : {"Quillmere ", "quillmere", "Otherware"}) {
        Write("other.qmreel1", Project(product, "new#$@", {ItemLine("a.jpg", 0)}));
        TAppletAgent doc = projectcheck::PreviousDocument();
        MemoryItemTree fresh;
        EXPECT_EQ(doc.LoadProject(Path("other.qmreel1"), fresh, progress), LoadResult::Refused) << product;
        ExpectUnchanged(doc, fresh);
    }
    EXPECT_STREQ(kForeignProductMessage, "This file wasn't saved by Quillmere 1.0, open failed!");
}

TEST_F(ProjectFile, EmptyOrUnmarkedFilesAreNoProject)
{
    Write("empty.qmreel1", "");
    Write("plain.qmreel1", "hello\r\nworld\r\n");
    for (const char *name : {"empty.qmreel1", "plain.qmreel1"}) {
        TAppletAgent doc = projectcheck::PreviousDocument();
        EXPECT_EQ(doc.LoadProject(Path(name), tree, progress), LoadResult::NoProject) << name;
        ExpectUnchanged(doc, tree);
    }
}

TEST_F(ProjectFile, TruncatedFilesAreRefusedWithTheFileNamed)
{
    const QByteArray whole = Project("Quillmere", "new#$@", {ItemLine("a.jpg", 0)});
    const QList<QByteArray> cuts = {whole.left(whole.indexOf("</Item_Parameters>")), whole.left(whole.indexOf("<Item_Parameters>")),
                                    whole.left(whole.indexOf("<Applet_Parameters>")), whole.left(whole.indexOf("<Product_Version>")),
                                    QByteArray("<Product_Name>\r\n")};
    for (const QByteArray &cut : cuts) {
        Write("cut.qmreel1", cut);
        TAppletAgent doc = projectcheck::PreviousDocument();
        const QString message = ErrorOf([&] { doc.LoadProject(Path("cut.qmreel1"), tree, progress); });
        EXPECT_TRUE(message.contains(QStringLiteral("cut.qmreel1"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("is missing"))) << message.toStdString();
        ExpectUnchanged(doc, tree);
        EXPECT_TRUE(progress.stage.isEmpty());
        EXPECT_FALSE(progress.busy);
    }
}

TEST_F(ProjectFile, NonIntegerLevelIsRefusedAndChangesNothing)
{
    Write("bad.qmreel1", Project("Quillmere", "new#$@", {ItemLine("a.jpg", 0), "x#$@#$@b.jpg#$@#$@#$@#$@#$@one#$@"}));
    TAppletAgent doc = projectcheck::PreviousDocument();
    EXPECT_EQ(ErrorOf([&] { doc.LoadProject(Path("bad.qmreel1"), tree, progress); }), QStringLiteral("'one' is not a valid integer value"));
    ExpectUnchanged(doc, tree);
    EXPECT_FALSE(progress.busy);
}

TEST_F(ProjectFile, AnOpeningStoppedByTheUserChangesNothing)
{
    Write("long.qmreel1", Project("Quillmere", "new#$@", {ItemLine("a.jpg", 0), ItemLine("b.jpg", 0), ItemLine("c.jpg", 0)}));
    TAppletAgent doc = projectcheck::PreviousDocument();
    int checks = 0;
    progress.cancelWhen = [&] { return ++checks > 2; };
    EXPECT_THROW(doc.LoadProject(Path("long.qmreel1"), tree, progress), TCancelled);
    ExpectUnchanged(doc, tree);
    EXPECT_FALSE(progress.busy);
}

TEST_F(ProjectFile, ImpossibleLevelsAreClampedSoItemsMatchNodes)
{
    Write("jump.qmreel1",
          Project("Quillmere", "new#$@", {ItemLine("a.jpg", 2), ItemLine("b.jpg", 1), ItemLine("c.jpg", 4), ItemLine("d.jpg", -3)}));
    TAppletAgent doc;
    ASSERT_EQ(doc.LoadProject(Path("jump.qmreel1"), tree, progress), LoadResult::Loaded);
    EXPECT_EQ(tree.Dump(), QStringLiteral("Quillmere\n  a.jpg\n    b.jpg\n      c.jpg\n  d.jpg\n"));
    QStringList levels;
    for (const TItemData &item : doc.Items)
        levels << item.Level;
    EXPECT_EQ(levels, (QStringList{"0", "1", "2", "0"}));
    for (int i = 0; i < int(doc.Items.size()); ++i)
        EXPECT_EQ(tree.Depth(i + 1) - 1, doc.Items[size_t(i)].Level.toInt());
}

TEST_F(ProjectFile, UnreadableAndUnwritablePathsNameThePath)
{
    TAppletAgent doc = projectcheck::PreviousDocument();
    const QString missing = Path("nowhere.qmreel1");
    const QString message = ErrorOf([&] { doc.LoadProject(missing, tree, progress); });
    EXPECT_TRUE(message.contains(QStringLiteral("nowhere.qmreel1"))) << message.toStdString();
    ExpectUnchanged(doc, tree);

    const QString unwritable = Path("no/such/folder/x.qmreel1");
    const QString saveMessage = ErrorOf([&] { doc.SaveProject(unwritable, progress); });
    EXPECT_TRUE(saveMessage.contains(QStringLiteral("x.qmreel1"))) << saveMessage.toStdString();
    EXPECT_EQ(progress.position, 0);
    EXPECT_FALSE(progress.busy);
}

TEST_F(ProjectFile, AFailedSaveLeavesThePreviousFileIntact)
{
    // A folder standing where the new file's temporary companion would go makes the save fail late.
    TAppletAgent doc;
    doc.SetDefaults();
    doc.SaveProject(Path("keep.qmreel1"), progress);
    const QByteArray before = Read("keep.qmreel1");
    doc.AppletData.ScriptName = QStringLiteral("changed");
    // Saving onto a folder path fails; the old file under its own name is untouched.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.qmreel1")));
    EXPECT_NE(ErrorOf([&] { doc.SaveProject(Path("taken.qmreel1"), progress); }), QStringLiteral("(no error)"));
    EXPECT_EQ(Read("keep.qmreel1"), before);
}

TEST_F(ProjectFile, OnlyPlainFilesOfAProjectsSizeAreRead)
{
    // Far beyond any project: refused before it is read into memory.
    {
        QFile huge(Path("huge.qmreel1"));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(qint64(33) << 20));
    }
    TAppletAgent doc = projectcheck::PreviousDocument();
    QString message = ErrorOf([&] { doc.LoadProject(Path("huge.qmreel1"), tree, progress); });
    EXPECT_TRUE(message.contains(QStringLiteral("huge.qmreel1"))) << message.toStdString();
    ExpectUnchanged(doc, tree);

    // A folder, or a pipe that would keep the program waiting, is no project file.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.qmreel1")));
    message = ErrorOf([&] { doc.LoadProject(Path("folder.qmreel1"), tree, progress); });
    EXPECT_TRUE(message.contains(QStringLiteral("folder.qmreel1"))) << message.toStdString();
#ifndef Q_OS_WIN
    const QByteArray fifo = QFile::encodeName(Path("pipe.qmreel1"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    // Should the pipe be opened after all, a writer ends the wait with a project.
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        for (int i = 0; i < 100 && !done; ++i) {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                const QByteArray bytes = Project("Quillmere", "piped#$@", {});
                [[maybe_unused]] const auto written = ::write(fd, bytes.constData(), size_t(bytes.size()));
                ::close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    message = ErrorOf([&] { doc.LoadProject(Path("pipe.qmreel1"), tree, progress); });
    done = true;
    feeder.join();
    EXPECT_TRUE(message.contains(QStringLiteral("pipe.qmreel1"))) << message.toStdString();
#endif
    ExpectUnchanged(doc, tree);
}

TEST_F(ProjectFile, ValuesAFileCannotCarryAreRefusedBeforeTheOldFileIsTouched)
{
    TAppletAgent doc;
    doc.SetDefaults();
    TItemData item = TAppletAgent::NewItem();
    item.Level = QStringLiteral("0");
    doc.Items.push_back(item);
    doc.SaveProject(Path("keep.qmreel1"), progress);
    const QByteArray before = Read("keep.qmreel1");

    // A picture whose name holds the separator would shift every later value of
    // its line, and a line break would split it: the file could not be opened again.
    for (const QString &path : {QStringLiteral("/pictures/a#$@b.jpg"), QStringLiteral("/pictures/two\nlines.jpg")}) {
        doc.Items[0].OriginalImagePath = path;
        const QString message = ErrorOf([&] { doc.SaveProject(Path("keep.qmreel1"), progress); });
        EXPECT_TRUE(message.contains(QStringLiteral("OriginalImagePath"))) << message.toStdString();
        EXPECT_EQ(Read("keep.qmreel1"), before);
        EXPECT_FALSE(progress.busy);
    }
    doc.Items[0].OriginalImagePath.clear();
    doc.AppletData.ScriptName = QStringLiteral("a\r\nb");
    EXPECT_TRUE(ErrorOf([&] { doc.SaveProject(Path("keep.qmreel1"), progress); }).contains(QStringLiteral("ScriptName")));
    EXPECT_EQ(Read("keep.qmreel1"), before);
}
