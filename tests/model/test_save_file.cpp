// Whole-file writes: a failure at any step keeps the previous file byte for byte and
// says why in the system's words; links are replaced, never written through; names
// must leave room for the temporary name; names the system cannot decode are told apart.
#include "ErrorOf.h"
#include "FileBytes.h"

#include "model/AppletAgent.h"
#include "model/MemorySeams.h"
#include "model/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <functional>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

namespace {

class SaveFileTest : public ::testing::Test
{
protected:
    void TearDown() override { SetWriteFault({}); }

    QString Path(const QString &name) const { return dir.filePath(name); }

    QStringList Entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir dir;
};

// A repeatable content of `size` bytes.
QByteArray Content(qint64 size, char seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(seed + i % 61);
    return bytes;
}

} // namespace

TEST_F(SaveFileTest, AFailingStepKeepsThePreviousFileAndGivesTheSystemsReason)
{
    struct Case
    {
        const char *what;
        bool copy; // through CopyWholeFile, which writes in chunks
        WriteStep step;
        int failingCall; // the how-manieth time the step is reached fails (from 1)
        int code;
    };
    const Case cases[] = {
        {"the only write, disk full", false, WriteStep::Write, 1, ENOSPC},
        {"the commit, disk full", false, WriteStep::Commit, 1, ENOSPC},
        {"a later chunk of a copy, disk full", true, WriteStep::Write, 3, ENOSPC},
        {"the commit of a copy, disk full", true, WriteStep::Commit, 1, ENOSPC},
#ifdef EDQUOT
        {"the only write, quota", false, WriteStep::Write, 1, EDQUOT},
#endif
    };
    const QByteArray previous = "the previous file\r\n";
    const QByteArray next = Content(200 * 1024, 'a');
    WriteBytes(Path(QStringLiteral("source.bin")), next);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString target = Path(QStringLiteral("page.html"));
        WriteBytes(target, previous);
        int calls = 0;
        SetWriteFault(
            [&](const QString &path, WriteStep step) { return path == target && step == c.step && ++calls == c.failingCall ? c.code : 0; });
        const QString message = ErrorOf([&] {
            if (c.copy)
                CopyWholeFile(Path(QStringLiteral("source.bin")), target);
            else
                SaveWholeFile(target, next);
        });
        SetWriteFault({});
        EXPECT_EQ(calls, c.failingCall);
        EXPECT_EQ(ReadBytes(target), previous);
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(target))) << message.toStdString();
        EXPECT_TRUE(message.endsWith(QString::fromLocal8Bit(std::strerror(c.code)))) << message.toStdString();
        EXPECT_FALSE(message.contains(QStringLiteral("Unknown error"))) << message.toStdString();
        // No temporary companion is left behind.
        EXPECT_EQ(Entries(), (QStringList{QStringLiteral("page.html"), QStringLiteral("source.bin")}));
    }
    // Without a fault the same writes go through.
    SaveWholeFile(Path(QStringLiteral("page.html")), next);
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("page.html"))), next);
    EXPECT_TRUE(CopyWholeFile(Path(QStringLiteral("source.bin")), Path(QStringLiteral("copy.bin"))));
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("copy.bin"))), next);
    // A copy without a readable source writes nothing and says so by its result.
    EXPECT_FALSE(CopyWholeFile(Path(QStringLiteral("none.bin")), Path(QStringLiteral("copy.bin"))));
    EXPECT_FALSE(CopyWholeFile(dir.path(), Path(QStringLiteral("copy.bin"))));
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("copy.bin"))), next);
}

TEST_F(SaveFileTest, ALinkOfTheNameIsReplacedAndItsTargetKept)
{
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    const QString kept = outside.filePath(QStringLiteral("kept.html"));
    WriteBytes(kept, "outside the folder");
    ASSERT_TRUE(QDir(outside.path()).mkdir(QStringLiteral("folder")));
    WriteBytes(Path(QStringLiteral("source.bin")), "copied");
    struct Case
    {
        const char *what;
        QString linkTarget;
        bool copy;
    };
    const Case cases[] = {
        {"a link to a file, written", kept, false},
        {"a link to a file, copied over", kept, true},
        {"a link to nothing", outside.filePath(QStringLiteral("gone.html")), false},
        {"a link to a folder", outside.filePath(QStringLiteral("folder")), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = Path(QStringLiteral("page.html"));
        QFile::remove(name);
        ASSERT_TRUE(QFile::link(c.linkTarget, name));
        if (c.copy)
            EXPECT_TRUE(CopyWholeFile(Path(QStringLiteral("source.bin")), name));
        else
            SaveWholeFile(name, "copied");
        EXPECT_FALSE(QFileInfo(name).isSymLink());
        EXPECT_EQ(ReadBytes(name), QByteArray("copied"));
        EXPECT_EQ(ReadBytes(kept), QByteArray("outside the folder"));
        EXPECT_FALSE(QFileInfo::exists(outside.filePath(QStringLiteral("gone.html"))));
        EXPECT_TRUE(QFileInfo(outside.filePath(QStringLiteral("folder"))).isDir());
    }
}

TEST_F(SaveFileTest, NamesNeedRoomForTheTemporaryNameOfTheWrite)
{
    const int limit = MaxFileNameBytes(dir.path());
    ASSERT_GT(limit, kTemporaryNameExtra + 8);
    // A folder not made yet takes the limit of the folder it would be made in.
    EXPECT_EQ(MaxFileNameBytes(Path(QStringLiteral("not/made/yet"))), limit);
    EXPECT_EQ(FileNameBytes(QStringLiteral("gr\u00FC\u00DF")), 6);

    // The longest name that leaves room is saved over and over ...
    const QString fits = Path(QString(limit - kTemporaryNameExtra, QLatin1Char('a')));
    for (int save = 0; save < 2; ++save)
        EXPECT_EQ(ErrorOf([&] { SaveWholeFile(fits, "x"); }), QStringLiteral("(no error)")) << save;
    // ... one byte more fails once the file exists and must be replaced.
    const QString tooLong = Path(QString(limit - kTemporaryNameExtra + 1, QLatin1Char('b')));
    EXPECT_EQ(ErrorOf([&] { SaveWholeFile(tooLong, "x"); }), QStringLiteral("(no error)"));
    const QString message = ErrorOf([&] { SaveWholeFile(tooLong, "y"); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot"))) << message.toStdString();
    EXPECT_EQ(ReadBytes(tooLong), QByteArray("x"));
}

#ifdef Q_OS_LINUX
TEST_F(SaveFileTest, ANameTheSystemCannotDecodeIsNotReportedMissing)
{
    // Bytes that are no UTF-8 read as U+FFFD; the file is there, yet no decoded name reaches it.
    const QByteArray raw = QFile::encodeName(dir.path()) + "/bad\xFF.qmreel1";
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    // The temporary folder cannot remove what it cannot name either.
    struct Remove
    {
        QByteArray raw;
        ~Remove() { ::unlink(raw.constData()); }
    } remove{raw};
    const QString path = QFile::decodeName(raw);
    EXPECT_TRUE(IsUnreadableName(path));
    EXPECT_FALSE(IsUnreadableName(Path(QStringLiteral("missing.qmreel1"))));

    TAppletAgent document;
    document.SetDefaults();
    MemoryItemTree tree;
    MemoryProgress progress;
    const QString message = ErrorOf([&] { document.LoadProject(path, tree, progress); });
    EXPECT_TRUE(message.contains(QStringLiteral("not valid in the system's encoding"))) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("No such file"))) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("does not exist"))) << message.toStdString();
}

// The same on a real, small file system that fills up. Mounting needs privileges a
// build machine may not grant; the write fault above covers the same paths without them.
TEST_F(SaveFileTest, AFullFileSystemKeepsThePreviousFile)
{
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    struct Unmount
    {
        QByteArray at;
        ~Unmount() { ::umount2(at.constData(), MNT_DETACH); }
    } unmount{mountPoint};

    const QString page = Path(QStringLiteral("page.html"));
    const QByteArray previous = "<html>the page of the last save</html>\r\n";
    SaveWholeFile(page, previous);
    // Larger than the whole file system: the system takes part of it, then refuses.
    QString message = ErrorOf([&] { SaveWholeFile(page, Content(200 * 1024, 'p')); });
    EXPECT_EQ(ReadBytes(page), previous);
    EXPECT_TRUE(message.endsWith(QStringLiteral("No space left on device"))) << message.toStdString();

    // A full disk and a small page: nothing of it can be written.
    {
        QFile filler(Path(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
    }
    message = ErrorOf([&] { SaveWholeFile(page, Content(8000, 'q')); });
    EXPECT_EQ(ReadBytes(page), previous);
    EXPECT_TRUE(message.endsWith(QStringLiteral("No space left on device"))) << message.toStdString();
    EXPECT_EQ(Entries(), (QStringList{QStringLiteral("filler"), QStringLiteral("page.html")}));
}
#endif
