// The per-user folders, with HOME and the XDG folders pointed at a scratch tree:
// no test here touches the real home folder.
#include "model/AppletAgent.h"
#include "model/Error.h"
#include "publish/Folders.h"
#include "publish/WorkingFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace {

const char *const kM1 = "Failed to retrieve application data path! Please contact vendor for help! Thank you!";
const char *const kM2 = "Failed to create data folder at application data path! Please contact vendor for help! Thank you!";
const char *const kM3 = "Failed to create preview folder at application data path! Please contact vendor for help! Thank you!";
const char *const kM4 = "Failed to create temp folder at application data path! Please contact vendor for help! Thank you!";
const char *const kM5 = "Failed to retrieve my documents path! Please contact vendor for help! Thank you!";

class FoldersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            m_saved.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        home = m_root.filePath(QStringLiteral("home"));
        ASSERT_TRUE(QDir().mkpath(home));
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
        setDataHome(m_root.filePath(QStringLiteral("data")));
    }

    void TearDown() override
    {
        for (const auto &s : m_saved) {
            if (s.wasSet)
                qputenv(s.name, s.value);
            else
                qunsetenv(s.name);
        }
    }

    void setDataHome(const QString &path)
    {
        dataHome = path;
        qputenv("XDG_DATA_HOME", QFile::encodeName(path));
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

    QString home;
    QString dataHome;

private:
    struct Saved
    {
        const char *name;
        QByteArray value;
        bool wasSet;
    };
    QTemporaryDir m_root;
    std::vector<Saved> m_saved;
};

bool EndsInOneSeparator(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) && !path.endsWith(QStringLiteral("//"));
}

TEST_F(FoldersTest, FreshAccountGetsThePrivateDataFolderAndEveryLevel)
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

TEST_F(FoldersTest, EveryFolderEndsInExactlyOneSeparator)
{
    setDataHome(dataHome + QStringLiteral("/"));
    for (const QString &path : {DataFolder(), PreviewFolder(), TempFolder(), DocumentsFolder()})
        EXPECT_TRUE(EndsInOneSeparator(path)) << path.toStdString();
    EXPECT_FALSE(MyPicturesFolder().endsWith(QLatin1Char('/')));
}

TEST_F(FoldersTest, DataFolderThatCannotBeMadeGivesM1)
{
    const QString blocker = home + QStringLiteral("/plain");
    writeFile(blocker);
    setDataHome(blocker + QStringLiteral("/share"));
    EXPECT_EQ(messageOf([] { return DataFolder(); }), QString::fromLatin1(kM1));
    EXPECT_EQ(messageOf([] { return PreviewFolder(); }), QString::fromLatin1(kM1));
}

TEST_F(FoldersTest, PlainFileInPlaceOfALevelGivesM2)
{
    ASSERT_TRUE(QDir().mkpath(dataHome));
    writeFile(dataHome + QStringLiteral("/Brindlecove"));
    EXPECT_EQ(messageOf([] { return DataFolder(); }), QString::fromLatin1(kM2));
    EXPECT_EQ(messageOf([] { return TempFolder(); }), QString::fromLatin1(kM2));

    // The documents tree reports its own blocked level with the same text.
    writeFile(home + QStringLiteral("/Brindlecove"));
    EXPECT_EQ(messageOf([] { return DocumentsFolder(); }), QString::fromLatin1(kM2));
}

TEST_F(FoldersTest, PlainFilesInPlaceOfPreviewAndTempGiveM3AndM4)
{
    const QString data = DataFolder();
    writeFile(data + QStringLiteral("Preview"));
    writeFile(data + QStringLiteral("Temp"));
    EXPECT_EQ(messageOf([] { return PreviewFolder(); }), QString::fromLatin1(kM3));
    EXPECT_EQ(messageOf([] { return TempFolder(); }), QString::fromLatin1(kM4));
}

TEST_F(FoldersTest, DocumentsFolderFallsBackToHomeAndFailsWithM5WithoutOne)
{
    EXPECT_EQ(DocumentsFolder(), company(home));
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/Documents")));
    EXPECT_EQ(DocumentsFolder(), company(home + QStringLiteral("/Documents")));

    qputenv("HOME", QFile::encodeName(home + QStringLiteral("/gone")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/gone/.config")));
    EXPECT_EQ(messageOf([] { return DocumentsFolder(); }), QString::fromLatin1(kM5));
}

TEST_F(FoldersTest, MyPicturesIsReportedButNeverCreated)
{
    EXPECT_EQ(MyPicturesFolder(), home + QStringLiteral("/Pictures"));
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Pictures")));
}

TEST_F(FoldersTest, PreviewFolderIsMadeAgainAfterCleanUp)
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

} // namespace
