// The readme: the whole file with and without pictures, and its progress.
#include "Golden.h"
#include "test_driver_fixture.h"

#include "model/Error.h"
#include "model/MemorySeams.h"
#include "publish/Readme.h"

using namespace publishtest;

class Readme : public PublishTest
{
};

TEST_F(Readme, WholeFileWithPicturesListsEachNameOnce)
{
    TAppletAgent document = DefaultDocument(4);
    document.LinkedFiles[3].FileName = QStringLiteral("mygalleryconfig.xml");
    document.LinkedFiles[4].FileName = QStringLiteral("mygalleryitems.xml");
    document.Items[0].ImageFile = QStringLiteral("p0_t.jpg");
    document.Items[1].ImageFile = QStringLiteral("p0_t.jpg"); // stale name from a project file
    document.Items[2].ImageFile = QStringLiteral("P0_t.jpg"); // another name: case counts
    document.Items[1].ExtraImageFile = QStringLiteral("extra.gif");
    document.Items[3].ExtraImageFile = QStringLiteral("p0_t.jpg");

    MemoryProgress progress;
    WriteReadme(document, Work(), QStringLiteral("gallery_readme.txt"), progress);
    // The five linked files, then each picture name once: p0_t.jpg, P0_t.jpg, extra.gif.
    const QByteArray expected = Golden("publish/data/readme-with-pictures.txt");
    EXPECT_EQ(ReadBytes(Work() + "gallery_readme.txt"), expected);

    // Trailing blanks of the fixed text are part of it.
    const QList<QByteArray> lines = CrLfLines(expected);
    for (int row : {5, 17 + 6, 23 + 6, 26 + 6, 28 + 6, 31 + 6})
        EXPECT_TRUE(lines.value(row - 1).endsWith(' ')) << row;

    EXPECT_EQ(progress.stages, QStringList{"Generating readme file ..."});
    EXPECT_EQ(progress.maximum, 101);
    EXPECT_EQ(progress.highest, 105);
    EXPECT_EQ(progress.position, 0);
    EXPECT_TRUE(progress.stage.isEmpty());
    EXPECT_FALSE(progress.busy);
}

TEST_F(Readme, WholeFileWithoutPictures)
{
    const TAppletAgent document = DefaultDocument();
    MemoryProgress progress;
    WriteReadme(document, Work(), QStringLiteral("empty_readme.txt"), progress);
    const QByteArray expected = Golden("publish/data/readme-without-pictures.txt");
    EXPECT_EQ(CrLfLines(expected).size(), 41);
    EXPECT_EQ(ReadBytes(Work() + "empty_readme.txt"), expected);
}

TEST_F(Readme, UnwritableFolderRaisesAndResetsProgress)
{
    const TAppletAgent document = DefaultDocument();
    MemoryProgress progress;
    EXPECT_THROW(WriteReadme(document, Work() + "missing/", QStringLiteral("x_readme.txt"), progress), QmError);
    EXPECT_EQ(progress.position, 0);
    EXPECT_TRUE(progress.stage.isEmpty());
    EXPECT_FALSE(progress.busy);
}
