// quillmere-publish end to end: the built program run on project files.
#include "test_driver_fixture.h"

#include "model/AppletAgent.h"
#include "model/MemorySeams.h"
#include "model/SaveFile.h"
#include "publish/HeadlessPublisher.h"
#include "publish/codecs/JpegCodec.h"
#include "publish/RenderCache.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <map>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace publishtest;

namespace {

struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class Cli : public PublishTest
{
protected:
    // Runs the publisher with the test's per-user folders.
    CliRun Publish(const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/quillmere-publish"), arguments);
        CliRun run;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
            ADD_FAILURE() << "quillmere-publish did not finish: " << process.errorString().toStdString();
            process.kill();
            return run;
        }
        run.exitCode = process.exitCode();
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    // Saves a project of the given sources at Work() + name.
    QString Project(const QString &name, const QStringList &sources, const QString &scriptName = QStringLiteral("slideshow1"))
    {
        TAppletAgent document = DefaultDocument();
        document.AppletData.ScriptName = scriptName;
        for (const QString &source : sources) {
            TItemData item = TAppletAgent::NewItem();
            item.OriginalImagePath = source;
            item.Level = QStringLiteral("0");
            document.Items.push_back(item);
        }
        MemoryProgress progress;
        document.SaveProject(Work() + name, progress);
        return Work() + name;
    }
};

TEST_F(Cli, HelpAndVersion)
{
    const CliRun help = Publish({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: quillmere-publish PROJECT_FILE [OUTPUT_FOLDER]")));
    const CliRun version = Publish({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("quillmere-publish 1.0\n"));
    const CliRun none = Publish({});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("no project file given")));
    const CliRun unknown = Publish({QStringLiteral("--fast"), QStringLiteral("x")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("unknown option \"--fast\"")));
}

TEST_F(Cli, PublishesThreeItemsWithOneMissingIntoANewFolder)
{
    WriteBytes(Work() + "one.bmp", BmpBytes(64, 48, 200, 10, 10));
    WriteBytes(Work() + "three.bmp", BmpBytes(48, 64, 10, 10, 200));
    const QString project = Project(QStringLiteral("gallery.qmreel1"), {Work() + "one.bmp", Work() + "two.bmp", Work() + "three.bmp"},
                                    QStringLiteral("my show"));
    const QString output = Work() + QStringLiteral("site/new");
    const CliRun run = Publish({project, output});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, output + QStringLiteral("/gallery.html\n"));
    EXPECT_EQ(FilesIn(output),
              (QStringList{"expressinstall.swf", "foldreel.swf", "gallery.html", "gallery.qmreel1", "gallery_readme.txt",
                           "myshowconfig.xml", "myshowdata.js", "myshowitems.xml", "p0_t.bmp", "p2_t.bmp", "swfobject.js"}));
    // Not a terminal: no progress output, only the item without a picture.
    EXPECT_EQ(run.err, QStringLiteral("quillmere-publish: item 2: no picture at %1, published without one\n").arg(Work() + "two.bmp"));
    // The run leaves nothing in the per-user preview and temp folders.
    EXPECT_FALSE(QFileInfo::exists(Preview()));
    EXPECT_TRUE(FilesIn(Temp()).isEmpty());
    // The project copy holds the published state.
    EXPECT_TRUE(ReadBytes(output + "/gallery.qmreel1").contains("p2_t.bmp#$@"));
}

TEST_F(Cli, JobsAndTheCacheChangeNoByteOfTheOutput)
{
    for (const QStringList &bad :
         {QStringList{"--jobs", "0"}, QStringList{"--jobs=many"}, QStringList{"-j", "257"}, QStringList{"--jobs"}}) {
        const CliRun run = Publish(bad + QStringList{"x.qmreel1"});
        EXPECT_EQ(run.exitCode, 1) << bad.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("the number of jobs must be a whole number from 1 to 256"))) << run.err.toStdString();
    }

    Bitmap photo(300, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            photo.setPixel(x, y, quint8(x), quint8(y), quint8(x ^ y));
    WriteBytes(Work() + "a.jpg", EncodeJpeg(photo));
    WriteBytes(Work() + "b.bmp", BmpBytes(64, 48, 200, 10, 10));
    const QString project = Project(QStringLiteral("g.qmreel1"), {Work() + "a.jpg", Work() + "b.bmp", Work() + "a.jpg"});
    const QString cache = RenderCache::UserFolder();

    auto publish = [&](const QString &folder, const QStringList &options) {
        const CliRun run = Publish(options + QStringList{project, Work() + folder});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        std::map<QString, QByteArray> files;
        for (const QString &name : FilesIn(Work() + folder))
            files[name] = ReadBytes(Work() + folder + QLatin1Char('/') + name);
        return files;
    };
    const auto expected = publish(QStringLiteral("one"), {"--jobs", "1", "--no-cache"});
    EXPECT_EQ(expected.size(), 12u);
    EXPECT_FALSE(QFileInfo::exists(cache)) << "--no-cache makes no cache";
    EXPECT_EQ(publish(QStringLiteral("many"), {"--jobs=3", "--no-cache"}), expected);
    EXPECT_EQ(publish(QStringLiteral("first"), {}), expected);
    EXPECT_EQ(QDir(cache).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(publish(QStringLiteral("second"), {"-j", "2"}), expected);
}

TEST_F(Cli, PictureSettingsAreOverriddenForTheRunOnly)
{
    WriteBytes(Work() + "large.bmp", BmpBytes(1400, 800, 255, 0, 0));
    const QString project = Project(QStringLiteral("g.qmreel1"), {Work() + "large.bmp"});
    const QByteArray saved = ReadBytes(project);
    const QString withHiDpi = Work() + QStringLiteral("sharp.qmreel1");
    WriteBytes(withHiDpi, QByteArray(saved).replace("</Applet_Parameters>\r\n", "</Applet_Parameters>\r\nHiDpi=1\r\n"));
    const struct
    {
        QString project;
        QStringList options;
        bool twice;
    } cases[] = {{project, {}, false},
                 {project, {"--hidpi"}, true},
                 {withHiDpi, {}, true},
                 {withHiDpi, {"--no-hidpi"}, false},
                 {project, {"--no-hidpi", "--hidpi"}, true}};
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options.join(u' ').toStdString());
        const QString output = Work() + QStringLiteral("out%1").arg(n++);
        const CliRun run = Publish(c.options + QStringList{c.project, output});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(QFileInfo::exists(output + "/p0_t@2x.bmp"), c.twice);
        // The published project keeps the project's own setting.
        EXPECT_EQ(ReadBytes(output + QLatin1Char('/') + QFileInfo(c.project).fileName()).contains("HiDpi=1"), c.project == withHiDpi);
    }
    const CliRun webp = Publish({QStringLiteral("--webp"), project, Work() + QStringLiteral("webp")});
    ASSERT_EQ(webp.exitCode, 0) << webp.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(Work() + QStringLiteral("webp/p0_t.webp")));
}

TEST_F(Cli, PublishesBesideTheProjectAndNormalisesLikeTheEditor)
{
    const QString project = Project(QStringLiteral("plain"), {});
    // A hand-edited value the editor's panes would clamp and upper-case.
    QByteArray bytes = ReadBytes(project);
    bytes.replace("#$@667#$@", "#$@0#$@").replace("FFFFFF", "ffffff");
    WriteBytes(project, bytes);

    const CliRun run = Publish({project});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, Work() + QStringLiteral("plain.html\n"));
    const QByteArray saved = ReadBytes(Work() + "plain.qmreel1");
    EXPECT_TRUE(saved.contains("slideshow1#$@1#$@75#$@375#$@6#$@1#$@#$@1#$@1#$@1#$@24#$@FFFFFF#$@")) << saved.toStdString();
    EXPECT_TRUE(ReadBytes(Work() + "slideshow1config.xml").contains("<ActiveItemWidth>1</ActiveItemWidth>"));
}

TEST_F(Cli, RefusesWhatIsNoProject)
{
    const CliRun missing = Publish({Work() + "nothing.qmreel1"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("does not exist"))) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());

    WriteBytes(Work() + "empty.qmreel1", QByteArray());
    const CliRun empty = Publish({Work() + "empty.qmreel1"});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.err.contains(QStringLiteral("holds no Quillmere project"))) << empty.err.toStdString();
    EXPECT_EQ(ReadBytes(Work() + "empty.qmreel1"), QByteArray());
    EXPECT_EQ(FilesIn(Work()), QStringList{"empty.qmreel1"});

    QByteArray other = ReadBytes(Project(QStringLiteral("other.qmreel1"), {}));
    other.replace("\r\nQuillmere\r\n", "\r\nSomething Else\r\n");
    WriteBytes(Work() + "other.qmreel1", other);
    const CliRun foreign = Publish({Work() + "other.qmreel1"});
    EXPECT_EQ(foreign.exitCode, 1);
    EXPECT_EQ(foreign.err, QStringLiteral("quillmere-publish: This file wasn't saved by Quillmere 1.0, open failed!\n"));
    EXPECT_EQ(ReadBytes(Work() + "other.qmreel1"), other);
}

TEST_F(Cli, UnreadablePicturesAreNamedTheRestIsPublishedAndTheExitCodeIsOne)
{
    WriteBytes(Work() + "good.bmp", BmpBytes(32, 24, 10, 200, 10));
    WriteBytes(Work() + "broken.bmp", "BMnot really a bitmap");
    WriteBytes(Work() + "broken.jpg", "GIF89a");
    const QString project = Project(QStringLiteral("g.qmreel1"), {Work() + "broken.bmp", Work() + "good.bmp", Work() + "broken.jpg"});
    const CliRun run = Publish({project, Work() + "out"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, Work() + QStringLiteral("out/g.html\n"));
    const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << run.err.toStdString();
    for (int i = 0; i < 2; ++i) {
        const int item = i == 0 ? 1 : 3;
        const QString path = Work() + (i == 0 ? "broken.bmp" : "broken.jpg");
        EXPECT_TRUE(lines[i].startsWith(QStringLiteral("quillmere-publish: ") + UnreadablePictureWarning(item, path, QString())))
            << lines[i].toStdString();
    }
    EXPECT_TRUE(lines[0].contains(QStringLiteral("published without one: The BMP picture cannot be read: "))) << lines[0].toStdString();
    EXPECT_EQ(FilesIn(Work() + "out").filter(QStringLiteral("_t.")), QStringList{QStringLiteral("p1_t.bmp")});
}

#ifdef Q_OS_UNIX
TEST_F(Cli, ASignalEndsTheRunCleanlyAndLeavesThePublishedFolderAsItWas)
{
    // Enough pictures that the run is still drawing them when the signal comes.
    Bitmap photo(1200, 900);
    for (int y = 0; y < 900; ++y)
        for (int x = 0; x < 1200; ++x)
            photo.setPixel(x, y, quint8(x * 7), quint8(y * 3), quint8(x ^ y));
    WriteBytes(Work() + "photo.jpg", EncodeJpeg(photo));
    QStringList sources;
    for (int i = 0; i < 400; ++i)
        sources << Work() + "photo.jpg";
    const QString project = Project(QStringLiteral("g.qmreel1"), sources);
    const QString output = Work() + QStringLiteral("out");
    const QString temp = QDir::tempPath();

    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        QDir(output).removeRecursively();
        ASSERT_EQ(Publish({QStringLiteral("--jobs=2"), project, output}).exitCode, 0);
        const auto published = FolderBytes(output);
        QProcess process;
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/quillmere-publish"),
                      {QStringLiteral("--no-cache"), QStringLiteral("--jobs=2"), project, output});
        ASSERT_TRUE(process.waitForStarted());
        // In the middle: the first pictures are waiting in the run's private temp folder.
        QElapsedTimer waited;
        waited.start();
        bool drawing = false;
        while (!drawing && waited.elapsed() < 60000 && process.state() == QProcess::Running) {
            QDirIterator files(temp, {QStringLiteral("p*_t.jpg")}, QDir::Files, QDirIterator::Subdirectories);
            drawing = files.hasNext();
            if (!drawing)
                QThread::msleep(5);
        }
        ASSERT_TRUE(drawing) << "the run ended before it drew a picture";
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 128 + signal);
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_EQ(err, QStringLiteral("quillmere-publish: stopped by %1; nothing was published and the output folder is as it was.\n")
                           .arg(QLatin1String(signal == SIGINT ? "SIGINT" : "SIGTERM")));
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
        EXPECT_EQ(FolderBytes(output), published);
        // Its private folder is gone; only the picture cache of the first run stays.
        EXPECT_EQ(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{QFileInfo(RenderCache::UserFolder()).fileName()});
    }
}
#endif

TEST_F(Cli, BadGalleryNameIsRefusedBeforeWriting)
{
    const QString project = Project(QStringLiteral("g.qmreel1"), {}, QStringLiteral("a|b"));
    const CliRun run = Publish({project, Work() + "out"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("contains the character |"))) << run.err.toStdString();
    EXPECT_TRUE(FilesIn(Work() + "out").isEmpty());
}

TEST_F(Cli, LeavesTheEditorsPreviewFolderAlone)
{
    // An editor open at the same time has its own build in the per-user preview folder.
    QDir().mkpath(Preview());
    WriteBytes(Preview() + "p0_t.bmp", QByteArray("the editor's picture"));
    WriteBytes(Work() + "one.bmp", BmpBytes(32, 24, 10, 200, 10));
    const QString project = Project(QStringLiteral("g.qmreel1"), {Work() + "one.bmp"}, QStringLiteral("g"));
    const CliRun run = Publish({project, Work() + QStringLiteral("out")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(ReadBytes(Preview() + "p0_t.bmp"), QByteArray("the editor's picture"));
    EXPECT_EQ(FilesIn(Preview()), QStringList{QStringLiteral("p0_t.bmp")});
}

TEST_F(Cli, EveryItemWithoutAPictureIsWarnedOnItsOwnLine)
{
    WriteBytes(Work() + "one.bmp", BmpBytes(32, 24, 10, 200, 10));
    QDir().mkpath(Work() + "folder.jpg");
    QStringList sources{Work() + "one.bmp", Work() + "missing.jpg", Work() + "folder.jpg", QString()};
#ifdef Q_OS_UNIX
    // A pipe would keep a reader waiting for ever; a device never ends.
    ASSERT_EQ(::mkfifo(QFile::encodeName(Work() + "pipe.gif").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), Work() + "device.bmp"));
    sources << Work() + "pipe.gif" << Work() + "device.bmp";
#endif
    const QString project = Project(QStringLiteral("g.qmreel1"), sources);
    const CliRun run = Publish({project, Work() + "out"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, Work() + QStringLiteral("out/g.html\n"));
    QString expected;
    for (int i = 1; i < sources.size(); ++i)
        expected += QStringLiteral("quillmere-publish: ") + MissingPictureWarning(i + 1, sources.at(i)) + QLatin1Char('\n');
    EXPECT_EQ(run.err, expected);
    EXPECT_TRUE(expected.startsWith(QStringLiteral("quillmere-publish: item 2: no picture at %1, published without one\n")
                                        .arg(QDir::toNativeSeparators(Work() + "missing.jpg"))));
    EXPECT_TRUE(expected.contains(QStringLiteral("quillmere-publish: item 4: no picture chosen, published without one\n")));
    EXPECT_TRUE(QFileInfo::exists(Work() + "out/p0_t.bmp"));
}

TEST_F(Cli, AFullDiskEndsWithTheSystemsTextAndExitCodeOne)
{
    const QString project = Project(QStringLiteral("g.qmreel1"), {});
    ASSERT_EQ(Publish({project}).exitCode, 0);
    const QByteArray page = ReadBytes(Work() + "g.html");
    // In this process, so the write fault reaches the publisher.
    SetWriteFault([](const QString &path, WriteStep) { return path.endsWith(QLatin1String("g.html")) ? ENOSPC : 0; });
    std::FILE *out = std::tmpfile();
    std::FILE *err = std::tmpfile();
    ASSERT_TRUE(out && err);
    const int code = RunHeadlessPublisher({project}, out, err, false);
    SetWriteFault({});
    QFile errors;
    std::rewind(err);
    ASSERT_TRUE(errors.open(err, QIODevice::ReadOnly));
    const QString text = QString::fromLocal8Bit(errors.readAll());
    errors.close();
    std::fclose(out);
    std::fclose(err);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(text, QStringLiteral("quillmere-publish: Cannot write file \"%1\". No space left on device\n")
                        .arg(QDir::toNativeSeparators(Work() + "g.html")));
    EXPECT_EQ(ReadBytes(Work() + "g.html"), page);
}

#ifdef Q_OS_UNIX
TEST_F(Cli, AProjectWhoseNameCannotBeDecodedIsNotCalledMissing)
{
    const QByteArray raw = QFile::encodeName(Work()) + "caf\xE9.qmreel1";
    ASSERT_TRUE(QFile::copy(Project(QStringLiteral("g.qmreel1"), {}), QFile::decodeName(QFile::encodeName(Work()) + "copy")));
    ASSERT_EQ(::rename((QFile::encodeName(Work()) + "copy").constData(), raw.constData()), 0);
    std::FILE *err = std::tmpfile();
    ASSERT_TRUE(err);
    const int code = RunHeadlessPublisher({QFile::decodeName(raw)}, stdout, err, false);
    QFile errors;
    std::rewind(err);
    ASSERT_TRUE(errors.open(err, QIODevice::ReadOnly));
    const QString text = QString::fromLocal8Bit(errors.readAll());
    errors.close();
    std::fclose(err);
    ::unlink(raw.constData());
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(text.contains(QStringLiteral("is not valid in the system's encoding"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("does not exist"))) << text.toStdString();
}
#endif
