// Every source type, from the pictures tests/publish/formats/make-fixtures.sh makes:
// each shows the same four flat quarters however it is stored, so every one must
// give the same item picture, of its output type and without the source's metadata.
#include "test_pictures_support.h"

#include "publish/Pictures.h"
#include "publish/codecs/BmpCodec.h"
#include "publish/codecs/Formats.h"
#include "publish/codecs/JpegCodec.h"
#include "publish/codecs/PngCodec.h"
#include "publish/codecs/WebpCodec.h"

using namespace picturetest;

namespace {

QString Fixture(const char *name)
{
    return QString::fromUtf8(QM_TESTS_SOURCE_DIR) + QStringLiteral("/publish/formats/") + QLatin1String(name);
}

// The centres of the four quarters in a 24 x 16 picture, and their colours.
struct Probe
{
    int x, y;
    TColor colour;
};
const Probe kQuarters[] = {{6, 4, 0x28C81E}, {18, 4, 0x1E28C8}, {6, 12, 0xC83C28}, {18, 12, 0xF0F0F0}};

struct FormatCase
{
    const char *source;
    const char *output;
    int tolerance;     // per channel, for lossy steps and profile round trips
    bool clearQuarter; // the lower right quarter is transparent in the output
    bool grey = false; // stored in grey: the quarters' colours are greys
    const Probe *colours = kQuarters;
};

// CMYK cannot hold the pattern's colours: these are the nearest it has, as ImageMagick
// converts the fixture back to sRGB through the same profiles.
const Probe kCmykQuarters[] = {{6, 4, 0x43C828}, {18, 4, 0x2E62C2}, {6, 12, 0xC8535F}, {18, 12, 0xF0F0F0}};

const FormatCase kCases[] = {
    {"png-rgb.png", ".png", 0, false},         {"png-palette.png", ".png", 0, false},
    {"png-grey.png", ".png", 0, false, true},  {"png-grey-alpha.png", ".png", 0, true, true},
    {"png-rgba.png", ".png", 0, true},         {"png-16bit.png", ".png", 0, false},
    {"png-interlaced.png", ".png", 0, false},  {"png-exif-turned.png", ".png", 0, false},
    {"png-prophoto.png", ".png", 3, false},    {"webp-lossy.webp", ".webp", 8, false},
    {"webp-lossless.webp", ".webp", 0, false}, {"webp-alpha.webp", ".webp", 0, true},
    {"webp-animated.webp", ".webp", 6, false}, {"webp-exif-turned.webp", ".webp", 0, false},
    {"webp-adobe.webp", ".webp", 3, false},    {"heic.heic", ".jpg", 8, false},
    {"avif.avif", ".jpg", 8, false},           {"tiff-rgb8.tif", ".jpg", 3, false},
    {"tiff-rgb16.tif", ".jpg", 3, false},      {"tiff-grey.tif", ".jpg", 3, false, true},
    {"tiff-palette.tif", ".jpg", 3, false},    {"tiff-cmyk.tif", ".jpg", 3, false},
    {"tiff-turned.tif", ".jpg", 3, false},     {"tiff-adobe.tif", ".jpg", 4, false},
    {"jpeg-adobe-exif.jpg", ".jpg", 4, false}, {"jpeg-cmyk-profiled.jpg", ".jpg", 12, false, false, kCmykQuarters},
};

// The output decoded again with its coverage (255 where it has none).
struct Output
{
    Bitmap pixels;
    AlphaPlane alpha;
};

Output DecodeOutput(const QByteArray &bytes, const QString &type)
{
    if (type == QLatin1String(".png")) {
        DecodedPicture d = DecodePng(bytes);
        return {d.pixels, d.alpha};
    }
    if (type == QLatin1String(".webp")) {
        DecodedPicture d = DecodeWebp(bytes);
        return {d.pixels, d.alpha};
    }
    return {DecodeJpeg(bytes), {}};
}

TEST(Formats, EverySourceTypeGivesTheSamePictureInItsOutputTypeWithoutMetadata)
{
    for (const FormatCase &c : kCases) {
        SCOPED_TRACE(c.source);
        const QString source = Fixture(c.source);
        EXPECT_EQ(PictureProblem(source), QString());
        ASSERT_EQ(PictureExtension(source), QLatin1String(c.output));
        const QByteArray bytes = EncodePicture(RenderPicture(source, 24, 16, 1, 0x0000FF), PictureExtension(source));

        for (const char *trace : {"Exif", "eXIf", "EXIF", "SN-4711", "iCCP", "ICCP", "ICC_PROFILE", "tEXt", "XMP"})
            EXPECT_FALSE(bytes.contains(trace)) << trace;
        const Output out = DecodeOutput(bytes, QLatin1String(c.output));
        ASSERT_EQ(out.pixels.width(), 24);
        ASSERT_EQ(out.pixels.height(), 16);
        EXPECT_EQ(out.alpha.empty(), !c.clearQuarter);
        for (const Probe &p : std::span(c.colours, 4)) {
            const bool clear = c.clearQuarter && p.x > 12 && p.y > 8;
            if (!out.alpha.empty()) {
                EXPECT_EQ(out.alpha[std::size_t(p.y * 24 + p.x)], clear ? 0 : 255) << p.x << "," << p.y;
            }
            if (clear)
                continue;
            const TColor got = out.pixels.pixel(p.x, p.y);
            TColor want = p.colour;
            if (c.grey) {
                // Grey as the fixture tool makes it: the Rec. 709 weights of the sRGB numbers.
                const double r = want & 0xFF, g = (want >> 8) & 0xFF, b = (want >> 16) & 0xFF;
                const auto v = TColor(std::lround(0.2126 * r + 0.7152 * g + 0.0722 * b));
                want = v | v << 8 | v << 16;
            }
            for (int shift = 0; shift < 24; shift += 8)
                EXPECT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), c.tolerance + (c.grey ? 2 : 0))
                    << p.x << "," << p.y << " got " << std::hex << got << " want " << want;
        }

        // Cut anywhere, the source is refused with a message naming it.
        const QByteArray whole = ReadBytes(source);
        const QString cut = QDir::temp().filePath(QStringLiteral("qm-cut-") + QLatin1String(c.source));
        WriteBytes(cut, whole.left(whole.size() * 2 / 3));
        EXPECT_TRUE(ErrorOf([&] { RenderPicture(cut, 24, 16, 1, 0); }).contains(cut));
        QFile::remove(cut);
    }
}

TEST(Formats, TransparencyKeepsItsEdgesAndMarginsAreFilledOpaque)
{
    // Mode 0 of a 48 x 16 target: 12-pixel margins of the fill colour either side.
    const DrawnPicture drawn = RenderPicture(Fixture("png-rgba.png"), 48, 16, 0, 0x0000FF);
    ASSERT_EQ(drawn.alpha.size(), std::size_t(48 * 16));
    for (int y : {0, 15}) {
        EXPECT_EQ(drawn.pixels.pixel(0, y), 0x0000FFu);
        EXPECT_EQ(drawn.alpha[std::size_t(y * 48 + 47)], 255);
    }
    // Shrunk, an opaque light grey next to clear pixels stays light grey: no dark fringe.
    Bitmap source = Solid(30, 6, 0xF0F0F0);
    AlphaPlane alpha(30 * 6, 255);
    for (int y = 0; y < 6; ++y)
        for (int x = 15; x < 30; ++x) {
            source.setPixel(x, y, 0, 0, 0);
            alpha[std::size_t(y * 30 + x)] = 0;
        }
    Bitmap target(10, 2);
    AlphaPlane targetAlpha(20, 0);
    StretchCopyAlpha(source, alpha, {0, 0, 30, 6}, target, targetAlpha, {0, 0, 10, 2});
    for (int x = 0; x < 10; ++x)
        if (targetAlpha[std::size_t(x)] > 8) {
            EXPECT_GE(target.pixel(x, 0) & 0xFF, 0xE8u) << x;
        }
    EXPECT_EQ(targetAlpha[0], 255);
    EXPECT_EQ(targetAlpha[9], 0);
}

TEST(Formats, ALargePictureShrunkByBlocksFirstLooksAsTheFullResamplingDrawsIt)
{
    ScratchHome scratch;
    // Squares of 30 pixels: an edge drawn a pixel off costs far more than the box's blur.
    Bitmap large = Gradient(900, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 900; ++x)
            if ((x / 30 + y / 30) % 2)
                large.setPixel(x, y, 20, 20, 20);
    WriteBytes(scratch.Work() + QStringLiteral("large.png"), EncodePng(large, {}));
    WriteBytes(scratch.Work() + QStringLiteral("large.bmp"), EncodeBmp(large));
    const Bitmap viaBlocks = RenderPicture(scratch.Work() + QStringLiteral("large.png"), 90, 50, 1, 0).pixels;
    const Bitmap direct = RenderPicture(scratch.Work() + QStringLiteral("large.bmp"), 90, 50, 1, 0).pixels;
    EXPECT_GT(Psnr(viaBlocks, direct), 35.0);
}

TEST(Formats, LookalikesAndStrangersAreRefusedBeforeDecoding)
{
    ScratchHome scratch;
    const QString fake = scratch.Work() + QStringLiteral("holiday.HEIC");
    WriteBytes(fake, EncodeJpeg(Solid(4, 4, 0)));
    EXPECT_TRUE(PictureProblem(fake).contains(QStringLiteral("is not a HEIC/HEIF picture"))) << PictureProblem(fake).toStdString();
    EXPECT_TRUE(PictureProblem(scratch.Work() + QStringLiteral("notes.txt")).contains(QStringLiteral("unsupported picture type")));
    EXPECT_TRUE(PictureProblem(scratch.Work() + QStringLiteral("gone.png")).contains(QStringLiteral("cannot be opened")));
}

TEST(Formats, TheHelpAndTheManualPagesNameEveryType)
{
    for (const char *page :
         {"data/help/customizing_fl_script_script_images.htm", "packaging/man/quillmere.1", "packaging/man/quillmere-publish.1"}) {
        const QByteArray text = ReadBytes(QString::fromUtf8(QM_TESTS_SOURCE_DIR) + QStringLiteral("/../") + QLatin1String(page));
        for (const PictureFormat &format : PictureFormats()) {
            EXPECT_TRUE(text.contains(format.name)) << page << ": " << format.name;
            for (const QString &extension : format.extensions)
                EXPECT_TRUE(text.contains("." + extension.toLatin1())) << page << ": " << extension.toStdString();
        }
    }
}

} // namespace
