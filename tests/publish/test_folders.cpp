// The per-user folders, with HOME and the XDG folders pointed at a scratch tree:
// no test here touches the real home folder.
#include "ScratchHome.h"

#include "model/AppletAgent.h"
#include "model/Error.h"
#include "publish/Folders.h"
#include "publish/WorkingFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>

namespace {

const char *const kM1 = "Failed to retrieve application data path! Please contact vendor for help! Thank you!";
const char *const kM2 = "Failed to create data folder at application data path! Please contact vendor for help! Thank you!";
const char *const kM3 = "Failed to create preview folder at application data path! Please contact vendor for help! Thank you!";
const char *const kM4 = "Failed to create temp folder at application data path! Please contact vendor for help! Thank you!";
const char *const kM5 = "Failed to retrieve my documents path! Please contact vendor for help! Thank you!";

class Folders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.isValid());
        home = scratch.Home();
        dataHome = scratch.DataHome();
    }

    void setDataHome(const QString &path)
    {
        dataHome = path;
        scratch.SetDataHome(path);
    }

    QString company(const QString &root) const { return root + QStringLiteral("/Brindlecove/Quillmere/1.0/"); }

    static void writeFile(const QString &path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

    static QString messageOf(const std::function<QString()> &call)
    {
        try {
            call();
        } catch (const QmError &e) {
            return e.message();
        }
        return QStringLiteral("(no error)");
    }

    ScratchHome scratch;
    QString home;
    QString dataHome;
};

bool EndsInOneSeparator(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) && !path.endsWith(QStringLiteral("//"));
}

TEST_F(Folders, FreshAccountGetsThePrivateDataFolderAndEveryLevel)
{
    ASSERT_FALSE(QFileInfo::exists(dataHome));
    EXPECT_EQ(PreviewFolder(), company(dataHome) + QStringLiteral("Preview/"));
    EXPECT_TRUE(QFileInfo(company(dataHome) + QStringLiteral("Preview")).isDir());
    EXPECT_EQ(QFileInfo(dataHome).permissions() &
                  (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther),
              QFileDevice::Permissions());
    EXPECT_EQ(TempFolder(), company(dataHome) + QStringLiteral("Temp/"));
    EXPECT_EQ(DataFolder(), company(dataHome));
}

TEST_F(Folders, EveryFolderEndsInExactlyOneSeparator)
{
    setDataHome(dataHome + QStringLiteral("/"));
    for (const QString &path : {DataFolder(), PreviewFolder(), TempFolder(), DocumentsFolder()})
        EXPECT_TRUE(EndsInOneSeparator(path)) << path.toStdString();
    EXPECT_FALSE(MyPicturesFolder().endsWith(QLatin1Char('/')));
}

TEST_F(Folders, DataFolderThatCannotBeMadeGivesM1)
{
    const QString blocker = home + QStringLiteral("/plain");
    writeFile(blocker);
    setDataHome(blocker + QStringLiteral("/share"));
    EXPECT_EQ(messageOf([] { return DataFolder(); }), QString::fromLatin1(kM1));
    EXPECT_EQ(messageOf([] { return PreviewFolder(); }), QString::fromLatin1(kM1));
}

TEST_F(Folders, PlainFileInPlaceOfALevelGivesM2)
{
    ASSERT_TRUE(QDir().mkpath(dataHome));
    writeFile(dataHome + QStringLiteral("/Brindlecove"));
    EXPECT_EQ(messageOf([] { return DataFolder(); }), QString::fromLatin1(kM2));
    EXPECT_EQ(messageOf([] { return TempFolder(); }), QString::fromLatin1(kM2));

    // The documents tree reports its own blocked level with the same text.
    writeFile(home + QStringLiteral("/Brindlecove"));
    EXPECT_EQ(messageOf([] { return DocumentsFolder(); }), QString::fromLatin1(kM2));
}

TEST_F(Folders, PlainFilesInPlaceOfPreviewAndTempGiveM3AndM4)
{
    const QString data = DataFolder();
    writeFile(data + QStringLiteral("Preview"));
    writeFile(data + QStringLiteral("Temp"));
    EXPECT_EQ(messageOf([] { return PreviewFolder(); }), QString::fromLatin1(kM3));
    EXPECT_EQ(messageOf([] { return TempFolder(); }), QString::fromLatin1(kM4));
}

TEST_F(Folders, DocumentsFolderFallsBackToHomeAndFailsWithM5WithoutOne)
{
    EXPECT_EQ(DocumentsFolder(), company(home));
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/Documents")));
    EXPECT_EQ(DocumentsFolder(), company(home + QStringLiteral("/Documents")));

    scratch.SetHome(home + QStringLiteral("/gone"));
    EXPECT_EQ(messageOf([] { return DocumentsFolder(); }), QString::fromLatin1(kM5));
}

TEST_F(Folders, MyPicturesIsReportedButNeverCreated)
{
    EXPECT_EQ(MyPicturesFolder(), home + QStringLiteral("/Pictures"));
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Pictures")));
}

TEST_F(Folders, PreviewFolderIsMadeAgainAfterCleanUp)
{
    const QString scratch = TempFolder() + QStringLiteral("page.html");
    writeFile(scratch);
    TAppletAgent document;
    AddWorkingFile(document, scratch);
    const QString preview = PreviewFolder();
    ASSERT_TRUE(QFileInfo::exists(preview + QStringLiteral("page.html")));

    CleanupWorkingFiles(document);
    EXPECT_FALSE(QFileInfo::exists(preview));
    EXPECT_EQ(PreviewFolder(), preview);
    EXPECT_TRUE(QFileInfo(preview).isDir());
}

// An installed program is started through links (bin/quillmere -> ../lib/quillmere/quillmere),
// yet its player, help and sample folders lie beside the real file.
TEST_F(Folders, ProgramFolderIsTheRealProgramsFolderWhateverLinksLeadThere)
{
    const QString root = scratch.Work();
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("lib/quill mere")));
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("bin")));
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("desk")));
    writeFile(root + QStringLiteral("lib/quill mere/program"));
    ASSERT_TRUE(QFile::link(QStringLiteral("../lib/quill mere/program"), root + QStringLiteral("bin/program")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("bin/program"), root + QStringLiteral("desk/program")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("lib"), root + QStringLiteral("linked-lib")));
    const QString real = QFileInfo(root + QStringLiteral("lib/quill mere")).canonicalFilePath() + QLatin1Char('/');

    const struct
    {
        const char *started;
        QString folder;
    } cases[] = {
        {"lib/quill mere/program", real},                 // the program itself, as on Windows
        {"bin/program", real},                            // a relative link
        {"desk/program", real},                           // a link to a link
        {"linked-lib/quill mere/program", real},          // a linked folder on the way
        {"gone/program", root + QStringLiteral("gone/")}, // moved away while running: its folder as given
    };
    for (const auto &c : cases)
        EXPECT_EQ(ProgramFolderOf(root + QLatin1String(c.started)), c.folder) << c.started;

    // In the build tree the test programs stand beside the data files, as the installed programs do.
    EXPECT_TRUE(QFileInfo::exists(ProgramFolder() + QStringLiteral("player/foldreel.swf")));
}

} // namespace
