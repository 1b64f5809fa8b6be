// The picture pass on worker threads and the render cache: every number of jobs,
// with and without the cache, ends exactly as one picture after another does.
#include "test_pictures_support.h"

#include "model/AppletAgent.h"
#include "model/Error.h"
#include "model/MemorySeams.h"
#include "publish/codecs/BmpCodec.h"
#include "publish/codecs/GifCodec.h"
#include "publish/codecs/JpegCodec.h"
#include "publish/Pictures.h"
#include "publish/RenderCache.h"
#include "publish/WorkingFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <map>

using namespace picturetest;

namespace {

// What a pass leaves behind, for comparing two passes.
struct PassOutcome
{
    QString error;
    QStringList imageFiles;
    std::vector<QString> focus;
    QStringList captions;
    QStringList workingFiles;
    std::map<QString, QByteArray> preview; // every file in the preview folder
    QStringList progressEvents;
    QStringList tempFiles;
    QList<int> unreadable; // items whose picture could not be read

    bool operator==(const PassOutcome &) const = default;
};

class PicturePass : public ItemPassFixture
{
protected:
    void SetUp() override
    {
        ItemPassFixture::SetUp();
        useGallery(QStringLiteral("96"), QStringLiteral("54"), QStringLiteral("336699"));
    }

    // JPEG, GIF, BMP, a missing picture, a turned JPEG and a second GIF.
    void mixedGallery()
    {
        WriteBytes(work(QStringLiteral("a.jpg")), EncodeJpeg(Gradient(320, 200)));
        WriteBytes(work(QStringLiteral("b.gif")), EncodeGif(Gradient(90, 160)));
        WriteBytes(work(QStringLiteral("c.bmp")), EncodeBmp(Gradient(200, 50)));
        WriteBytes(work(QStringLiteral("e.JPEG")), EncodeJpeg(Gradient(40, 300)));
        WriteBytes(work(QStringLiteral("f.gif")), EncodeGif(Gradient(500, 500)));
        for (const char *name : {"a.jpg", "b.gif", "c.bmp", "missing.jpg", "e.JPEG", "f.gif", "a.jpg"})
            addItem(work(QLatin1String(name)));
    }

    // Runs the pass on a copy of the document and tree, then clears the preview folder.
    PassOutcome run(const PicturePassOptions &options)
    {
        TAppletAgent doc = document;
        MemoryItemTree copy;
        for (int node = 1; node < tree.NodeCount(); ++node)
            copy.AddLastChild(0, tree.Caption(node));
        MemoryProgress progress;
        PassOutcome outcome;
        outcome.error = ErrorOf([&] { ProcessItemImages(doc, copy, progress, options); });
        for (const TItemData &item : doc.Items)
            outcome.imageFiles << item.ImageFile;
        outcome.focus = doc.ItemFocus;
        for (int node = 1; node < copy.NodeCount(); ++node)
            outcome.captions << copy.Caption(node);
        outcome.workingFiles = doc.WorkingFiles;
        for (const TUnreadablePicture &picture : doc.UnreadablePictures)
            outcome.unreadable << picture.Item;
        const QString preview = appFolder() + QStringLiteral("Preview/");
        for (const QString &name : QDir(preview).entryList(QDir::Files))
            outcome.preview[name] = ReadBytes(preview + name);
        outcome.progressEvents = progress.events;
        outcome.tempFiles = QDir(appFolder() + QStringLiteral("Temp/")).entryList(QDir::Files);
        CleanupWorkingFiles(doc);
        for (const QString &name : QDir(preview).entryList(QDir::Files))
            QFile::remove(preview + name);
        return outcome;
    }

    QString cacheFolder() const { return RenderCache::UserFolder(); }
    QStringList cacheEntries() const { return QDir(cacheFolder()).entryList(QDir::Files); }
};

const PicturePassOptions kOneByOne{1, false};

TEST_F(PicturePass, EveryNumberOfJobsEndsAsOneByOneWithOrWithoutTheCache)
{
    mixedGallery();
    const PassOutcome expected = run(kOneByOne);
    ASSERT_EQ(expected.error, QStringLiteral("(no error)"));
    ASSERT_EQ(expected.preview.size(), 6u);
    EXPECT_EQ(expected.captions[3], QStringLiteral("Warning: Original image not found."));
    EXPECT_TRUE(cacheEntries().isEmpty());

    for (const PicturePassOptions options : {PicturePassOptions{2, false}, PicturePassOptions{4, false}, PicturePassOptions{0, false},
                                             PicturePassOptions{1, true}, PicturePassOptions{3, true}, PicturePassOptions{3, true}}) {
        SCOPED_TRACE(testing::Message() << "jobs " << options.jobs << (options.useCache ? ", cache" : ""));
        EXPECT_TRUE(run(options) == expected);
    }
    // Five different pictures drawn: five entries, the repeated source shares one.
    EXPECT_EQ(cacheEntries().size(), 5);
}

TEST_F(PicturePass, UnreadableItemsEndAsOneByOneForEveryNumberOfJobs)
{
    WriteBytes(work(QStringLiteral("good.bmp")), EncodeBmp(Gradient(30, 30)));
    WriteBytes(work(QStringLiteral("good.jpg")), EncodeJpeg(Gradient(300, 200)));
    WriteBytes(work(QStringLiteral("bad.jpg")), QByteArray("\xFF\xD8\xFF\xE0 garbage", 11));
    for (const char *name : {"good.bmp", "good.jpg", "bad.jpg", "good.jpg", "bad.jpg", "missing.gif", "good.jpg"})
        addItem(work(QLatin1String(name)));

    const PassOutcome expected = run(kOneByOne);
    EXPECT_EQ(expected.error, QStringLiteral("(no error)"));
    EXPECT_EQ(expected.unreadable, (QList<int>{2, 4}));
    EXPECT_EQ(expected.imageFiles, (QStringList{"p0_t.bmp", "p1_t.jpg", "old.jpg", "p3_t.jpg", "old.jpg", "old.jpg", "p6_t.jpg"}));
    EXPECT_EQ(expected.preview.size(), 4u);
    EXPECT_TRUE(expected.tempFiles.isEmpty());
    for (int jobs : {2, 3, 8})
        for (bool useCache : {false, true, true}) {
            SCOPED_TRACE(testing::Message() << "jobs " << jobs << (useCache ? ", cache" : ""));
            EXPECT_TRUE(run({jobs, useCache}) == expected);
        }
}

TEST_F(PicturePass, AStoppedPassLeavesThePreviewFolderAndTheItemsAsTheyWere)
{
    mixedGallery();
    // With the variants, which are staged like the pictures.
    document.AppletExtras.HiDpi = QStringLiteral("1");
    document.AppletExtras.WebP = QStringLiteral("1");
    const QString preview = appFolder() + QStringLiteral("Preview/");
    ASSERT_TRUE(QDir().mkpath(preview));
    WriteBytes(preview + QStringLiteral("p0_t.jpg"), QByteArray("an earlier build"));
    // Stopped before the first item, in the middle, and after the last picture was made.
    for (int stopAt : {0, 2, 6}) {
        for (const PicturePassOptions options : {kOneByOne, PicturePassOptions{3, false}}) {
            SCOPED_TRACE(testing::Message() << "stopped at " << stopAt << ", jobs " << options.jobs);
            TAppletAgent doc = document;
            MemoryProgress progress;
            progress.cancelWhen = [&] { return progress.highest >= stopAt; };
            EXPECT_THROW(ProcessItemImages(doc, tree, progress, options), TCancelled);
            for (const TItemData &item : doc.Items)
                EXPECT_EQ(item.ImageFile, QStringLiteral("old.jpg"));
            EXPECT_TRUE(doc.ItemVariants.empty());
            EXPECT_TRUE(doc.WorkingFiles.isEmpty());
            EXPECT_EQ(QDir(preview).entryList(QDir::Files), QStringList{QStringLiteral("p0_t.jpg")});
            EXPECT_EQ(ReadBytes(preview + QStringLiteral("p0_t.jpg")), QByteArray("an earlier build"));
            EXPECT_TRUE(QDir(appFolder() + QStringLiteral("Temp/")).entryList(QDir::Files).isEmpty());
            EXPECT_FALSE(progress.busy);
        }
    }
    // Not stopped, the same pass does make variants.
    MemoryProgress progress;
    ProcessItemImages(document, tree, progress, kOneByOne);
    EXPECT_FALSE(QDir(preview).entryList({QStringLiteral("*@2x*")}, QDir::Files).isEmpty());
}

TEST_F(PicturePass, SettingsThatAreNoNumbersFailAtTheFirstExistingPicture)
{
    WriteBytes(work(QStringLiteral("good.bmp")), EncodeBmp(Gradient(30, 30)));
    for (const char *name : {"missing.bmp", "good.bmp", "good.bmp"})
        addItem(work(QLatin1String(name)));
    document.AppletData.ItemHeight = QStringLiteral("tall");
    const PassOutcome expected = run(kOneByOne);
    EXPECT_EQ(expected.error, QStringLiteral("'tall' is not a valid integer value"));
    EXPECT_EQ(expected.captions,
              (QStringList{QStringLiteral("Warning: Original image not found."), QStringLiteral("good.bmp"), QStringLiteral("item")}));
    EXPECT_TRUE(run({3, true}) == expected);
}

TEST_F(PicturePass, APictureReplacesALinkInThePreviewFolderWithoutWritingThroughIt)
{
    WriteBytes(work(QStringLiteral("a.bmp")), EncodeBmp(Gradient(30, 30)));
    addItem(work(QStringLiteral("a.bmp")));
    const QString preview = appFolder() + QStringLiteral("Preview/");
    ASSERT_TRUE(QDir().mkpath(preview));
    WriteBytes(work(QStringLiteral("victim")), QByteArray("keep me"));
    ASSERT_TRUE(QFile::link(work(QStringLiteral("victim")), preview + QStringLiteral("p0_t.bmp")));
    MemoryProgress progress;
    ProcessItemImages(document, tree, progress, {2, false});
    EXPECT_EQ(ReadBytes(work(QStringLiteral("victim"))), QByteArray("keep me"));
    EXPECT_FALSE(QFileInfo(preview + QStringLiteral("p0_t.bmp")).isSymLink());
    EXPECT_EQ(DecodeBmp(ReadBytes(preview + QStringLiteral("p0_t.bmp"))).width(), 96);
    EXPECT_EQ(QDir(preview).entryList(QDir::Files), QStringList{QStringLiteral("p0_t.bmp")});
}

// The pixels of a generated picture of type `name`'s extension.
Bitmap DecodeGenerated(const QString &name, const QByteArray &bytes)
{
    if (name.endsWith(QLatin1String(".jpg")))
        return DecodeJpeg(bytes);
    return name.endsWith(QLatin1String(".gif")) ? DecodeGif(bytes, 0) : DecodeBmp(bytes);
}

TEST_F(PicturePass, TwiceSizePicturesWhereTheSourceHasThePixelsAndTheSamePicturesAtOnce)
{
    // A 96 x 54 gallery: the 2x picture is 192 x 108. Mode 0 matches the height of this
    // wide frame, mode 1 its width; a source with fewer pixels there gets no 2x picture.
    const struct
    {
        const char *name;
        Bitmap picture;
        int mode;
        bool twice;
    } cases[] = {{"a.jpg", Gradient(320, 200), 0, true},  {"b.gif", Gradient(90, 160), 0, true}, {"c.bmp", Gradient(400, 107), 0, false},
                 {"d.jpg", Gradient(191, 400), 1, false}, {"e.bmp", Gradient(192, 60), 1, true}, {"f.jpg", Gradient(192, 108), 0, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QLatin1String(c.name);
        WriteBytes(work(name), name.endsWith(QLatin1String(".jpg"))   ? EncodeJpeg(c.picture)
                               : name.endsWith(QLatin1String(".gif")) ? EncodeGif(c.picture)
                                                                      : EncodeBmp(c.picture));
        document.Items.clear();
        tree = MemoryItemTree();
        addItem(work(name));
        document.AppletData.ThumbProcessType = QString::number(c.mode);
        document.AppletExtras.HiDpi = QStringLiteral("0");
        const PassOutcome plain = run(kOneByOne);
        document.AppletExtras.HiDpi = QStringLiteral("1");
        const PassOutcome sharp = run(kOneByOne);
        ASSERT_EQ(sharp.error, QStringLiteral("(no error)"));

        const QString one = plain.imageFiles.front();
        const QString two = one.left(4) + QStringLiteral("@2x") + one.mid(4);
        EXPECT_EQ(sharp.imageFiles, plain.imageFiles);
        EXPECT_EQ(sharp.preview.at(one), plain.preview.at(one)) << "the 1x picture stays as it was";
        EXPECT_EQ(sharp.preview.count(two), c.twice ? 1u : 0u);
        EXPECT_EQ(sharp.workingFiles, c.twice ? (QStringList{one, two}) : QStringList{one});
        if (c.twice) {
            const Bitmap larger = DecodeGenerated(two, sharp.preview.at(two));
            EXPECT_EQ(larger.width(), 192);
            EXPECT_EQ(larger.height(), 108);
        }
    }

    // Worker threads and the cache give the same files as one picture after another.
    document.Items.clear();
    tree = MemoryItemTree();
    document.AppletData.ThumbProcessType = QStringLiteral("0");
    mixedGallery();
    const PassOutcome expected = run(kOneByOne);
    EXPECT_EQ(expected.preview.size(), 6u + 5u); // six pictures, and 2x for all but the 50 pixels high c.bmp
    for (const PicturePassOptions options : {PicturePassOptions{3, false}, PicturePassOptions{3, true}, PicturePassOptions{2, true}}) {
        SCOPED_TRACE(testing::Message() << "jobs " << options.jobs << (options.useCache ? ", cache" : ""));
        EXPECT_TRUE(run(options) == expected);
    }
}

// ---- the cache itself ----

class PictureCache : public PicturePass
{
protected:
    void SetUp() override
    {
        PicturePass::SetUp();
        source = work(QStringLiteral("photo.jpg"));
        WriteBytes(source, EncodeJpeg(Gradient(400, 300)));
        addItem(source);
    }

    // The one entry the cache holds.
    QString onlyEntry() const
    {
        const QStringList entries = cacheEntries();
        return entries.size() == 1 ? cacheFolder() + QLatin1Char('/') + entries.front() : QString();
    }

    QString source;
    const RenderSettings settings{96, 54, 0, 0x996633, QStringLiteral(".jpg"), std::nullopt};
};

TEST_F(PictureCache, ChangedSourcesOrSettingsMiss)
{
    const RenderCache cache(cacheFolder());
    const QString key = cache.Key(source, settings);
    ASSERT_EQ(key.size(), 64);
    EXPECT_EQ(cache.Key(source, settings), key);

    std::vector<std::pair<const char *, RenderSettings>> changed(6, {"", settings});
    changed[0].first = "width", changed[0].second.width = 97;
    changed[1].first = "height", changed[1].second.height = 55;
    changed[2].first = "mode", changed[2].second.mode = 1;
    changed[3].first = "fill", changed[3].second.fill = 0x996634;
    changed[4].first = "type", changed[4].second.extension = QStringLiteral(".bmp");
    changed[5].first = "focal point", changed[5].second.focus = TFocalPoint{50, 50};
    for (const auto &[what, other] : changed)
        EXPECT_NE(cache.Key(source, other), key) << what;

    // The same bytes elsewhere, other bytes of the same size, a longer file, a later time.
    const QByteArray original = ReadBytes(source);
    WriteBytes(work(QStringLiteral("copy.jpg")), original);
    EXPECT_NE(cache.Key(work(QStringLiteral("copy.jpg")), settings), key);
    const QDateTime time = QFileInfo(source).lastModified();
    QByteArray flipped = original;
    flipped[flipped.size() - 3] = char(flipped[flipped.size() - 3] ^ 1);
    WriteBytes(source, flipped);
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    }
    EXPECT_NE(cache.Key(source, settings), key) << "content";
    WriteBytes(source, original + QByteArray(1, '\0'));
    EXPECT_NE(cache.Key(source, settings), key) << "size";
    WriteBytes(source, original);
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time.addSecs(5), QFileDevice::FileModificationTime));
    }
    EXPECT_NE(cache.Key(source, settings), key) << "time";
    EXPECT_TRUE(cache.Key(work(QStringLiteral("none.jpg")), settings).isEmpty());
}

TEST_F(PictureCache, AHitCopiesTheStoredPictureAndABrokenEntryIsDrawnAfresh)
{
    const PassOutcome fresh = run({2, true});
    const QString entry = onlyEntry();
    ASSERT_FALSE(entry.isEmpty());
    const QByteArray stored = ReadBytes(entry);

    // A hit is taken as stored: an entry holding other (well-formed) bytes shows through.
    const RenderCache cache(cacheFolder());
    const QString key = QFileInfo(entry).completeBaseName();
    QFile::remove(entry);
    cache.Store(key, QByteArray("stand-in"));
    EXPECT_EQ(run({2, true}).preview.at(QStringLiteral("p0_t.jpg")), QByteArray("stand-in"));
    EXPECT_TRUE(run({2, false}) == fresh);

    QByteArray flippedBit = stored;
    flippedBit[stored.size() - 10] = char(stored[stored.size() - 10] ^ 4);
    // Missing, cut short, one bit flipped, emptied, or not an entry at all: drawn afresh and stored again.
    const std::pair<const char *, QByteArray> broken[] = {
        {"cut short", stored.left(stored.size() - 1)},
        {"bit flipped", flippedBit},
        {"empty", QByteArray()},
        {"header only", stored.left(48)},
        {"foreign", QByteArray(200, 'x')},
    };
    for (const auto &[what, bytes] : broken) {
        SCOPED_TRACE(what);
        WriteBytes(entry, bytes);
        EXPECT_TRUE(cache.Load(key).isEmpty());
        WriteBytes(entry, bytes);
        EXPECT_TRUE(run({2, true}) == fresh);
        EXPECT_EQ(ReadBytes(entry), stored);
    }
    QFile::remove(entry);
    EXPECT_TRUE(run({2, true}) == fresh);
    EXPECT_EQ(ReadBytes(entry), stored);
}

// Where the focal point lands is kept beside the cached picture: a hit needs it too.
TEST_F(PictureCache, AFocalPointMovesTheCropAndIsKeptBesideThePicture)
{
    document.AppletData.ThumbProcessType = QStringLiteral("1");
    const PassOutcome centred = run(kOneByOne);
    EXPECT_EQ(centred.focus, std::vector<QString>{QString()});
    document.Items[0].FocalPoint = QStringLiteral("50,0");
    const PassOutcome fresh = run(kOneByOne);
    EXPECT_EQ(fresh.focus, std::vector<QString>{QStringLiteral("50,0")});
    EXPECT_NE(fresh.preview.at(QStringLiteral("p0_t.jpg")), centred.preview.at(QStringLiteral("p0_t.jpg")));

    EXPECT_TRUE(run({2, true}) == fresh);
    ASSERT_EQ(cacheEntries().size(), 2u);
    EXPECT_TRUE(run({2, true}) == fresh) << "both taken from the cache";
    for (const QString &entry : cacheEntries())
        if (ReadBytes(cacheFolder() + QLatin1Char('/') + entry).endsWith("50,0"))
            QFile::remove(cacheFolder() + QLatin1Char('/') + entry);
    EXPECT_TRUE(run({2, true}) == fresh) << "drawn again without the point's entry";
    EXPECT_EQ(cacheEntries().size(), 2u);
}

TEST_F(PictureCache, TrimmingDropsTheLeastRecentlyUsedFirst)
{
    const QString folder = work(QStringLiteral("cache"));
    const RenderCache cache(folder, 3500);
    const QByteArray picture(1000, 'p');
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < 5; ++i) {
        cache.Store(QStringLiteral("k%1").arg(i), picture);
        QFile file(folder + QStringLiteral("/k%1.qmrc").arg(i));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(now.addSecs(i - 100), QFileDevice::FileModificationTime);
    }
    EXPECT_EQ(cache.Load(QStringLiteral("k0")), picture); // used now: the newest
    cache.Trim();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files),
              (QStringList{QStringLiteral("k0.qmrc"), QStringLiteral("k3.qmrc"), QStringLiteral("k4.qmrc")}));
}

TEST_F(PictureCache, OnlyAPrivateFolderIsUsed)
{
    // Another account's folder or a link in its place is never written through.
    const QString elsewhere = work(QStringLiteral("elsewhere"));
    QDir().mkpath(elsewhere);
    const QString link = work(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(elsewhere, link));
    const RenderCache linked(link);
    EXPECT_FALSE(linked.isEnabled());
    linked.Store(QStringLiteral("k"), QByteArray("x"));
    EXPECT_TRUE(QDir(elsewhere).isEmpty());

    // A folder others may read is made private before it is used.
    const QString open = work(QStringLiteral("open"));
    QDir().mkpath(open);
    QFile::setPermissions(open, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    EXPECT_TRUE(RenderCache(open).isEnabled());
    EXPECT_FALSE(QFileInfo(open).permissions() & QFile::ReadOther);

    EXPECT_FALSE(RenderCache(QString()).isEnabled());
    EXPECT_TRUE(RenderCache(QString()).Load(QStringLiteral("k")).isEmpty());
}

} // namespace
