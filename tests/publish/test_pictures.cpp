// The item pictures: geometry of the two modes, colours by pixel, names, the
// per-build pass with its captions and progress.
#include "test_pictures_support.h"

#include "model/AppletAgent.h"
#include "model/Error.h"
#include "model/MemorySeams.h"
#include "publish/codecs/BmpCodec.h"
#include "publish/codecs/GifCodec.h"
#include "publish/codecs/JpegCodec.h"
#include "publish/Pictures.h"
#include "publish/Variants.h"
#include "publish/codecs/WebpCodec.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace picturetest;

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kGreen = 0x00FF00;

struct Example
{
    int sw, sh, mode;
    float scale;
    int qw, qh;
    PixelRect fromQ, into;
    bool filled;
};

TEST(PicturesGeometry, WorkedExamplesForA667By375Target)
{
    const Example examples[] = {
        {1024, 768, 0, 768.0f / 375, 500, 375, {0, 0, 500, 375}, {84, 0, 583, 375}, true},
        {800, 1200, 0, 3.2f, 250, 375, {0, 0, 250, 375}, {208, 0, 459, 375}, true},
        {2000, 500, 0, float(500.0 / 375), 1500, 375, {0, 0, 1500, 375}, {0, 0, 667, 375}, true},
        {1024, 768, 1, float(1024.0 / 667), 667, 500, {0, 62, 667, 438}, {0, 0, 667, 375}, false},
        {2000, 1000, 1, float(2000.0 / 667), 667, 333, {0, 0, 667, 333}, {0, 0, 667, 375}, false},
    };
    for (const Example &e : examples) {
        SCOPED_TRACE(testing::Message() << e.sw << "x" << e.sh << " mode " << e.mode);
        const PictureGeometry g = ComputeGeometry(e.sw, e.sh, 667, 375, e.mode);
        EXPECT_EQ(g.scale, e.scale);
        EXPECT_EQ(g.qw, e.qw);
        EXPECT_EQ(g.qh, e.qh);
        EXPECT_EQ(g.fromQ, e.fromQ);
        EXPECT_EQ(g.into, e.into);
        EXPECT_EQ(g.filled, e.filled);
    }
}

TEST(PicturesGeometry, SquareTargetsUseTheWidthInBothModes)
{
    for (int mode : {0, 1}) {
        const PictureGeometry g = ComputeGeometry(1000, 400, 200, 200, mode);
        EXPECT_EQ(g.scale, 5.0f);
        EXPECT_EQ(g.qw, 200);
        EXPECT_EQ(g.qh, 80);
    }
    // Mode 0: a 200 x 80 band with margins above and below; mode 1 stretches the band.
    EXPECT_EQ(ComputeGeometry(1000, 400, 200, 200, 0).into, (PixelRect{0, 60, 200, 140}));
    EXPECT_EQ(ComputeGeometry(1000, 400, 200, 200, 1).into, (PixelRect{0, 0, 200, 200}));
    // A tall source in a square: s still follows the width.
    EXPECT_EQ(ComputeGeometry(400, 1000, 200, 200, 0).scale, 2.0f);
}

TEST(PicturesGeometry, TheTwoStretchesMapOntoTheSourceArea)
{
    const PictureGeometry g = ComputeGeometry(1024, 768, 667, 375, 1);
    const SourceRect area = g.sourceArea(1024, 768);
    EXPECT_DOUBLE_EQ(area.left, 0);
    EXPECT_DOUBLE_EQ(area.right, 1024);
    EXPECT_DOUBLE_EQ(area.top, 62 * 768.0 / 500);
    EXPECT_DOUBLE_EQ(area.bottom, 438 * 768.0 / 500);
}

// Mode 1 with a focal point: the crop window keeps its size, centred on the point as far
// as Q reaches; `placed` is where the point lands in the picture, in percent.
TEST(PicturesGeometry, AFocalPointCentresTheCropWindowWithinTheScaledPicture)
{
    const struct
    {
        int sw, sh, w, h, mode;
        std::optional<TFocalPoint> focus;
        PixelRect fromQ;
        TFocalPoint placed;
    } cases[] = {
        // 1024 x 768 into 667 x 375: Q 667 x 500, a window 376 rows high.
        {1024, 768, 667, 375, 1, std::nullopt, {0, 62, 667, 438}, {50, 50}},
        {1024, 768, 667, 375, 1, TFocalPoint{50, 50}, {0, 62, 667, 438}, {50, 50}},
        {1024, 768, 667, 375, 1, TFocalPoint{0, 0}, {0, 0, 667, 376}, {0, 0}},
        {1024, 768, 667, 375, 1, TFocalPoint{100, 100}, {0, 124, 667, 500}, {100, 100}},
        {1024, 768, 667, 375, 1, TFocalPoint{100, 0}, {0, 0, 667, 376}, {100, 0}},
        {1024, 768, 667, 375, 1, TFocalPoint{50, 40}, {0, 12, 667, 388}, {50, 50}},
        {1024, 768, 667, 375, 1, TFocalPoint{30, 80}, {0, 124, 667, 500}, {30, 73}},
        // A portrait in a landscape picture: Q 500 x 1000, a window 250 rows high.
        {1000, 2000, 500, 250, 1, TFocalPoint{50, 20}, {0, 75, 500, 325}, {50, 50}},
        {1000, 2000, 500, 250, 1, TFocalPoint{10, 95}, {0, 750, 500, 1000}, {10, 80}},
        // A landscape in a portrait picture: Q 800 x 400, a window 200 columns wide.
        {2000, 1000, 200, 400, 1, TFocalPoint{10, 50}, {0, 0, 200, 400}, {40, 50}},
        {2000, 1000, 200, 400, 1, TFocalPoint{75, 50}, {500, 0, 700, 400}, {50, 50}},
        {2000, 1000, 200, 400, 1, TFocalPoint{100, 0}, {600, 0, 800, 400}, {100, 0}},
        // Mode 0 keeps the whole picture between margins: only where the point lands moves.
        {1000, 2000, 500, 250, 0, TFocalPoint{0, 50}, {0, 0, 125, 250}, {38, 50}},
        {1000, 2000, 500, 250, 0, TFocalPoint{100, 50}, {0, 0, 125, 250}, {62, 50}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " mode " << c.mode << " at " << qPrintable(FocalPointText(c.focus)));
        const PictureGeometry g = ComputeGeometry(c.sw, c.sh, c.w, c.h, c.mode, c.focus);
        EXPECT_EQ(g.fromQ, c.fromQ);
        EXPECT_EQ(g.PlaceInPicture(c.focus.value_or(TFocalPoint()), c.w, c.h), c.placed);
    }
}

class Pictures : public UserFolders
{
protected:
    // A 1024 x 768 picture: blue, with green bands in the top and bottom 90 rows.
    QString bandedJpeg(const QString &name)
    {
        Bitmap b = Solid(1024, 768, kBlue);
        FillRect(b, {0, 0, 1024, 90}, kGreen);
        FillRect(b, {0, 678, 1024, 768}, kGreen);
        const QString path = work(name);
        WriteBytes(path, EncodeJpeg(b));
        return path;
    }
};

// The crop of a focal point holds for the larger picture and the WebP copies too: a
// wide strip of the banded picture keeps its top band with the point at the top.
TEST_F(Pictures, LargerPicturesAndWebpCopiesFollowTheFocalPoint)
{
    const QString source = bandedJpeg(QStringLiteral("banded.jpg"));
    RenderSettings settings{400, 100, 1, kRed, QStringLiteral(".jpg"), TFocalPoint{50, 0}};
    ItemDrawing drawing(source, settings);
    const VariantPlan plan{{2, QString()}, {1, QStringLiteral(".webp")}, {2, QStringLiteral(".webp")}};
    const std::vector<RenderedVariant> copies = RenderItemVariants(drawing, QStringLiteral("p0_t"), plan, RenderCache(QString()));
    ASSERT_EQ(copies.size(), 3u);
    for (const RenderedVariant &copy : copies) {
        SCOPED_TRACE(copy.fileName.toStdString());
        const Bitmap pixels = copy.fileName.endsWith(QLatin1String(".webp")) ? DecodeWebp(copy.bytes).pixels : DecodeJpeg(copy.bytes);
        ASSERT_EQ(pixels.width(), 400 * copy.scale);
        EXPECT_LT(ColourDistance(pixels.pixel(10, 2 * copy.scale), kGreen), 40);
        EXPECT_LT(ColourDistance(pixels.pixel(10, 95 * copy.scale), kBlue), 40);
    }
    settings.focus.reset();
    ItemDrawing centred(source, settings);
    EXPECT_LT(ColourDistance(centred.At(2)->pixels.pixel(10, 4), kBlue), 30);
}

TEST_F(Pictures, Mode0LeavesBandsOfTheFillColourEitherSide)
{
    const QString source = bandedJpeg(QStringLiteral("banded.jpg"));
    // Exactly, before encoding: columns 0-83 and 583-666 keep the fill colour.
    const Bitmap drawn = RenderPicture(source, 667, 375, 0, kRed).pixels;
    ASSERT_EQ(drawn.width(), 667);
    ASSERT_EQ(drawn.height(), 375);
    for (int y : {0, 100, 374}) {
        for (int x : {0, 83, 583, 666})
            EXPECT_EQ(drawn.pixel(x, y), kRed) << x << "," << y;
        for (int x : {84, 300, 582})
            EXPECT_NE(drawn.pixel(x, y), kRed) << x << "," << y;
    }
    EXPECT_LT(ColourDistance(drawn.pixel(300, 187), kBlue), 30);
    EXPECT_LT(ColourDistance(drawn.pixel(300, 3), kGreen), 30);

    // And in the written file, within the encoder's error.
    const ResizedPicture out = ResizeImage(source, QStringLiteral("p0_t"), 667, 375, 0, kRed);
    EXPECT_EQ(out.fileName, QStringLiteral("p0_t.jpg"));
    EXPECT_EQ(out.fullPath, appFolder() + QStringLiteral("Temp/p0_t.jpg"));
    const Bitmap written = DecodeJpeg(ReadBytes(out.fullPath));
    ASSERT_EQ(written.width(), 667);
    ASSERT_EQ(written.height(), 375);
    for (int x = 0; x < 667; ++x) {
        const TColor c = written.pixel(x, 187);
        const bool band = x < 84 || x >= 583;
        EXPECT_EQ(band, ColourDistance(c, kRed) < ColourDistance(c, kBlue)) << "column " << x;
    }
}

TEST_F(Pictures, Mode1KeepsTheMiddleRowsAndShowsNoFill)
{
    const QString source = bandedJpeg(QStringLiteral("banded.jpg"));
    const Bitmap drawn = RenderPicture(source, 667, 375, 1, kRed).pixels;
    // Q's rows 62-437 are source rows 95-673: all blue, the green bands cut away.
    for (int y = 0; y < 375; y += 2)
        for (int x = 0; x < 667; x += 37)
            ASSERT_LT(ColourDistance(drawn.pixel(x, y), kBlue), 30) << x << "," << y;
}

TEST_F(Pictures, OutputTypeFollowsTheSourceExtension)
{
    const Bitmap small = Gradient(48, 32);
    WriteBytes(work(QStringLiteral("a.JPEG")), EncodeJpeg(small));
    WriteBytes(work(QStringLiteral("b.Gif")), EncodeGif(small));
    WriteBytes(work(QStringLiteral("c.bmp")), EncodeBmp(small));
    EXPECT_EQ(ResizeImage(work(QStringLiteral("a.JPEG")), QStringLiteral("p0_t"), 30, 20, 1, 0).fileName, QStringLiteral("p0_t.jpg"));
    EXPECT_EQ(ResizeImage(work(QStringLiteral("b.Gif")), QStringLiteral("p1_t"), 30, 20, 1, 0).fileName, QStringLiteral("p1_t.gif"));
    const ResizedPicture bmp = ResizeImage(work(QStringLiteral("c.bmp")), QStringLiteral("p2_t"), 30, 20, 0, 0);
    EXPECT_EQ(bmp.fileName, QStringLiteral("p2_t.bmp"));
    const Bitmap back = DecodeBmp(ReadBytes(bmp.fullPath));
    EXPECT_EQ(back.width(), 30);
    EXPECT_EQ(back.height(), 20);
    const Bitmap gif = DecodeGif(ReadBytes(appFolder() + QStringLiteral("Temp/p1_t.gif")), 0);
    EXPECT_EQ(gif.width(), 30);
    EXPECT_EQ(gif.height(), 20);
}

TEST_F(Pictures, UnsupportedTypesAndSizesAreRefusedClearly)
{
    WriteBytes(work(QStringLiteral("photo.psd")), QByteArray("8BPS"));
    const QString psd = ErrorOf([&] { ResizeImage(work(QStringLiteral("photo.psd")), QStringLiteral("p0_t"), 10, 10, 1, 0); });
    EXPECT_EQ(psd, QStringLiteral("The picture \"%1\" is of an unsupported picture type: only JPEG (.jpg, .jpeg), GIF (.gif), "
                                  "BMP (.bmp), PNG (.png), WebP (.webp), HEIC/HEIF (.heic, .heif), AVIF (.avif) and TIFF "
                                  "(.tif, .tiff) files can be used.")
                       .arg(work(QStringLiteral("photo.psd"))));

    WriteBytes(work(QStringLiteral("ok.bmp")), EncodeBmp(Gradient(8, 8)));
    for (const auto &size : {std::pair{0, 10}, std::pair{10, -3}}) {
        const int w = size.first, h = size.second;
        const QString message = ErrorOf([&] { RenderPicture(work(QStringLiteral("ok.bmp")), w, h, 1, 0); });
        EXPECT_TRUE(message.contains(QStringLiteral("at least 1"))) << message.toStdString();
    }
}

TEST_F(Pictures, BrokenSourcesRaiseErrorsNamingTheFile)
{
    const QByteArray jpeg = EncodeJpeg(Gradient(64, 64));
    WriteBytes(work(QStringLiteral("cut.jpg")), jpeg.left(jpeg.size() / 2));
    WriteBytes(work(QStringLiteral("text.gif")), QByteArray("not a picture at all"));
    WriteBytes(work(QStringLiteral("empty.bmp")), QByteArray());
    for (const char *name : {"cut.jpg", "text.gif", "empty.bmp"}) {
        const QString path = work(QString::fromLatin1(name));
        const QString message = ErrorOf([&] { RenderPicture(path, 20, 20, 1, 0); });
        EXPECT_NE(message, QStringLiteral("(no error)")) << name;
        EXPECT_TRUE(message.contains(path)) << message.toStdString();
    }
}

#ifdef Q_OS_UNIX
TEST_F(Pictures, APipeOrDeviceNamedLikeAPictureIsRefusedWithoutWaiting)
{
    // Opening a pipe for reading waits for a writer that never comes; a device never ends.
    ASSERT_EQ(::mkfifo(QFile::encodeName(work(QStringLiteral("pipe.jpg"))).constData(), 0600), 0);
    for (const QString &path : {work(QStringLiteral("pipe.jpg")), QStringLiteral("/dev/zero")}) {
        const QString message = ErrorOf([&] { ReadPictureSource(path); });
        EXPECT_EQ(message, QStringLiteral("The picture \"%1\" cannot be opened: it is not a file.").arg(path));
    }
}
#endif

// ---- the per-build pass ----

class PicturesItemPass : public ItemPassFixture
{
protected:
    void SetUp() override
    {
        ItemPassFixture::SetUp();
        useGallery(QStringLiteral("64"), QStringLiteral("36"), QStringLiteral("FF0000"));
    }

    MemoryProgress progress;
};

TEST_F(PicturesItemPass, MissingSourceIsSkippedWithAWarningCaption)
{
    WriteBytes(work(QStringLiteral("first.jpg")), EncodeJpeg(Gradient(80, 60)));
    WriteBytes(work(QStringLiteral("third.gif")), EncodeGif(Gradient(40, 80)));
    addItem(work(QStringLiteral("first.jpg")));
    addItem(work(QStringLiteral("second.jpg")));
    addItem(QStringLiteral("  ") + work(QStringLiteral("third.gif")) + QStringLiteral(" \t"));

    ProcessItemImages(document, tree, progress);

    EXPECT_EQ(tree.Caption(1), QStringLiteral("first.jpg"));
    EXPECT_EQ(tree.Caption(2), QStringLiteral("Warning: Original image not found."));
    EXPECT_EQ(tree.Caption(3), QStringLiteral("third.gif"));
    EXPECT_EQ(document.Items[0].ImageFile, QStringLiteral("p0_t.jpg"));
    EXPECT_EQ(document.Items[1].ImageFile, QStringLiteral("old.jpg"));
    EXPECT_EQ(document.Items[2].ImageFile, QStringLiteral("p2_t.gif"));
    EXPECT_EQ(document.WorkingFiles, (QStringList{QStringLiteral("p0_t.jpg"), QStringLiteral("p2_t.gif")}));
    const QString preview = appFolder() + QStringLiteral("Preview/");
    EXPECT_TRUE(QFileInfo::exists(preview + QStringLiteral("p0_t.jpg")));
    EXPECT_TRUE(QFileInfo::exists(preview + QStringLiteral("p2_t.gif")));
    EXPECT_FALSE(QFileInfo::exists(appFolder() + QStringLiteral("Temp/p0_t.jpg")));
    EXPECT_FALSE(QFileInfo::exists(appFolder() + QStringLiteral("Temp/p2_t.gif")));
    const Bitmap third = DecodeGif(ReadBytes(preview + QStringLiteral("p2_t.gif")), 0);
    EXPECT_EQ(third.width(), 64);
    EXPECT_EQ(third.height(), 36);
    EXPECT_LT(ColourDistance(third.pixel(0, 18), kRed), 30); // a tall source in mode 0: fill colour at the sides

    EXPECT_EQ(progress.maximum, 4);
    EXPECT_EQ(progress.highest, 2);
    EXPECT_EQ(progress.stages, QStringList{QStringLiteral("Processing images ...")});
    EXPECT_EQ(progress.position, 0);
    EXPECT_TRUE(progress.stage.isEmpty());
    EXPECT_FALSE(progress.busy);
}

TEST_F(PicturesItemPass, UnreadablePicturesAreLeftOutAndNamedWhileTheRestIsMade)
{
    WriteBytes(work(QStringLiteral("good.bmp")), EncodeBmp(Gradient(30, 30)));
    WriteBytes(work(QStringLiteral("bad.jpg")), QByteArray("\xFF\xD8\xFF\xE0 garbage", 11));
    WriteBytes(work(QStringLiteral("photo.psd")), QByteArray("8BPS", 4));
    for (const char *name : {"good.bmp", "bad.jpg", "photo.psd", "good.bmp"})
        addItem(work(QLatin1String(name)));

    ProcessItemImages(document, tree, progress);
    const QString unreadable = QStringLiteral("Warning: Original image cannot be read.");
    EXPECT_EQ(tree.Dump(), QStringLiteral("Quillmere\n  good.bmp\n  %1\n  %1\n  good.bmp\n").arg(unreadable));
    EXPECT_EQ(document.Items[1].ImageFile, QStringLiteral("old.jpg"));
    EXPECT_EQ(document.Items[2].ImageFile, QStringLiteral("old.jpg"));
    EXPECT_EQ(document.WorkingFiles, (QStringList{QStringLiteral("p0_t.bmp"), QStringLiteral("p3_t.bmp")}));
    ASSERT_EQ(document.UnreadablePictures.size(), 2u);
    EXPECT_EQ(document.UnreadablePictures[0].Item, 1);
    EXPECT_EQ(document.UnreadablePictures[0].Path, work(QStringLiteral("bad.jpg")));
    EXPECT_TRUE(document.UnreadablePictures[0].Reason.startsWith(QStringLiteral("The JPEG picture cannot be read: ")));
    EXPECT_EQ(document.UnreadablePictures[1].Item, 2);
    EXPECT_TRUE(document.UnreadablePictures[1].Reason.contains(QStringLiteral("unsupported picture type")))
        << document.UnreadablePictures[1].Reason.toStdString();
    for (const TUnreadablePicture &picture : document.UnreadablePictures)
        EXPECT_FALSE(picture.Reason.contains(QLatin1Char('\n'))) << picture.Reason.toStdString();
    EXPECT_EQ(progress.highest, 2);
    EXPECT_FALSE(progress.busy);

    // The next pass names only what it met itself.
    WriteBytes(work(QStringLiteral("bad.jpg")), EncodeJpeg(Gradient(30, 30)));
    QFile::remove(work(QStringLiteral("photo.psd")));
    ProcessItemImages(document, tree, progress);
    EXPECT_TRUE(document.UnreadablePictures.empty());
}

TEST_F(PicturesItemPass, StoredValuesAreConvertedAsNumbers)
{
    WriteBytes(work(QStringLiteral("wide.bmp")), EncodeBmp(Solid(200, 50, kBlue)));
    addItem(work(QStringLiteral("wide.bmp")));

    // Any mode but 0 fills and crops: no fill colour shows.
    document.AppletData.ThumbProcessType = QStringLiteral("7");
    ProcessItemImages(document, tree, progress);
    const Bitmap cropped = DecodeBmp(ReadBytes(appFolder() + QStringLiteral("Preview/p0_t.bmp")));
    EXPECT_EQ(cropped.pixel(32, 0), kBlue);

    document.AppletData.ItemHeight = QStringLiteral("tall");
    EXPECT_EQ(ErrorOf([&] { ProcessItemImages(document, tree, progress); }), QStringLiteral("'tall' is not a valid integer value"));
    EXPECT_FALSE(progress.busy);
}

} // namespace
