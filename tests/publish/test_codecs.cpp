// The three picture codecs: round trips, the settings of the written files, the
// kinds of source each reader accepts, and malformed files.
#include "test_pictures_support.h"

#include "model/Error.h"
#include "publish/codecs/BmpCodec.h"
#include "publish/codecs/GifCodec.h"
#include "publish/codecs/JpegCodec.h"
#include "publish/Octree.h"

#include <gif_lib.h>

#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <set>

using namespace picturetest;

namespace {

// ---- JPEG ----

// Positions of the markers of a JPEG file, up to the start of the scan.
std::vector<std::pair<int, int>> Markers(const QByteArray &jpeg)
{
    std::vector<std::pair<int, int>> markers; // (marker, offset of its length)
    int at = 2;
    while (at + 4 <= jpeg.size() && std::uint8_t(jpeg[at]) == 0xFF) {
        const int marker = std::uint8_t(jpeg[at + 1]);
        markers.push_back({marker, at + 2});
        if (marker == 0xDA)
            break;
        at += 2 + (std::uint8_t(jpeg[at + 2]) << 8 | std::uint8_t(jpeg[at + 3]));
    }
    return markers;
}

int MarkerAt(const QByteArray &jpeg, int marker)
{
    for (auto [m, at] : Markers(jpeg))
        if (m == marker)
            return at;
    return -1;
}

// A JPEG written with libjpeg directly, for source kinds the encoder never makes.
QByteArray ForeignJpeg(int width, int height, J_COLOR_SPACE in, int components, const std::vector<std::uint8_t> &pixels,
                       bool progressive = false)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = in;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<std::uint8_t *>(&pixels[std::size_t(cinfo.next_scanline) * std::size_t(width) * std::size_t(components)]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return bytes;
}

// The file with an APP1 Exif segment (orientation tag only) put right after SOI.
QByteArray WithOrientation(const QByteArray &jpeg, int orientation, bool bigEndian)
{
    QByteArray tiff = bigEndian ? QByteArray("MM\0\x2A\0\0\0\x08", 8) : QByteArray("II\x2A\0\x08\0\0\0", 8);
    const char entryLE[] = {1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, char(orientation), 0, 0, 0, 0, 0, 0, 0};
    const char entryBE[] = {0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, char(orientation), 0, 0, 0, 0, 0, 0};
    tiff.append(bigEndian ? entryBE : entryLE, sizeof entryLE);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((payload.size() + 2) >> 8));
    segment.append(char((payload.size() + 2) & 0xFF));
    return jpeg.left(2) + segment + payload + jpeg.mid(2);
}

TEST(CodecsJpeg, WritesBaselineColourAtQuality90)
{
    const Bitmap picture = Gradient(64, 48);
    const QByteArray jpeg = EncodeJpeg(picture);
    EXPECT_GE(MarkerAt(jpeg, 0xC0), 0) << "baseline frame";
    EXPECT_EQ(MarkerAt(jpeg, 0xC2), -1) << "no progressive frame";
    const int sof = MarkerAt(jpeg, 0xC0);
    EXPECT_EQ(std::uint8_t(jpeg[sof + 7]), 3) << "three colour components";
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(std::uint8_t(jpeg[sof + 9 + 3 * c]), 0x11) << "full-resolution component " << c;
    // The first luminance quantiser of quality 90: 16 scaled by 20 %.
    const int dqt = MarkerAt(jpeg, 0xDB);
    ASSERT_GE(dqt, 0);
    EXPECT_EQ(std::uint8_t(jpeg[dqt + 3]), 3);

    const Bitmap back = DecodeJpeg(jpeg);
    EXPECT_EQ(back.width(), 64);
    EXPECT_EQ(back.height(), 48);
    EXPECT_GT(Psnr(picture, back), 38.0);
}

TEST(CodecsJpeg, DecodesAtReducedDctScales)
{
    const QByteArray jpeg = EncodeJpeg(Gradient(64, 48));
    JpegReader reader(jpeg);
    EXPECT_EQ(reader.storedWidth(), 64);
    const Bitmap quarter = reader.decode(2);
    EXPECT_EQ(quarter.width(), 16);
    EXPECT_EQ(quarter.height(), 12);
    EXPECT_EQ(JpegReader(jpeg).decode(3).width(), 24);

    // Decoding a band of rows: those rows as in a full decode, the far ones skipped.
    Bitmap tall = Gradient(40, 160);
    FillRect(tall, {0, 150, 40, 160}, 0xFFFFFF);
    const QByteArray tallJpeg = EncodeJpeg(tall);
    const Bitmap full = JpegReader(tallJpeg).decode(4);
    const Bitmap band = JpegReader(tallJpeg).decode(4, {0, 40, 40, 100}, 2);
    ASSERT_EQ(band.height(), 80);
    for (int y = 18; y < 52; ++y)
        ASSERT_EQ(band.pixel(7, y), full.pixel(7, y)) << y;
    EXPECT_EQ(band.pixel(7, 79), 0u) << "rows past the band stay black";
    EXPECT_EQ(band.pixel(7, 0), 0u) << "rows before the band stay black";
    // A turned picture: shown columns are stored rows, counted from the bottom.
    const Bitmap turned = JpegReader(WithOrientation(tallJpeg, 6, false)).decode(8, {100, 0, 140, 40}, 1);
    ASSERT_EQ(turned.width(), 160);
    EXPECT_EQ(turned.pixel(20, 10), 0u);
    EXPECT_EQ(turned.pixel(120, 10), Oriented(DecodeJpeg(tallJpeg), 6).pixel(120, 10));

    // A quarter more than the drawn pixels are kept along each axis, at 1/8, 1/4 or 1/2 only.
    EXPECT_EQ(ChooseJpegScale(4000, 2250, 667, 375), 2);
    EXPECT_EQ(ChooseJpegScale(6000, 3375, 667, 375), 2);
    EXPECT_EQ(ChooseJpegScale(6672, 3752, 667, 375), 1);
    EXPECT_EQ(ChooseJpegScale(6669, 3752, 667, 375), 2);
    EXPECT_EQ(ChooseJpegScale(1920, 1080, 667, 375), 4);
    EXPECT_EQ(ChooseJpegScale(3000, 1688, 667, 375), 4); // 3/8 would do, but is not a fast scale
    EXPECT_EQ(ChooseJpegScale(1024, 768, 667, 375), 8);
    EXPECT_EQ(ChooseJpegScale(8000, 100, 100, 100), 8);
}

TEST(CodecsJpeg, GreyscaleAndCmykSourcesBecomeRgb)
{
    std::vector<std::uint8_t> grey(32 * 16);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = std::uint8_t(i % 32 * 8);
    const Bitmap g = DecodeJpeg(ForeignJpeg(32, 16, JCS_GRAYSCALE, 1, grey));
    ASSERT_EQ(g.width(), 32);
    const TColor c = g.pixel(20, 5);
    EXPECT_EQ(c & 0xFF, (c >> 8) & 0xFF);
    EXPECT_EQ(c & 0xFF, (c >> 16) & 0xFF);
    EXPECT_NEAR(int(c & 0xFF), 160, 6);

    // Stored inverted, as the Adobe marker written with CMYK says: pure red.
    std::vector<std::uint8_t> cmyk(16 * 16 * 4);
    for (std::size_t i = 0; i < cmyk.size(); i += 4)
        cmyk[i] = 255, cmyk[i + 1] = 0, cmyk[i + 2] = 0, cmyk[i + 3] = 255;
    const Bitmap red = DecodeJpeg(ForeignJpeg(16, 16, JCS_CMYK, 4, cmyk));
    EXPECT_LT(ColourDistance(red.pixel(8, 8), 0x0000FF), 40);

    std::vector<std::uint8_t> rgb(24 * 24 * 3, 90);
    EXPECT_EQ(DecodeJpeg(ForeignJpeg(24, 24, JCS_RGB, 3, rgb, true)).width(), 24) << "progressive source";
}

TEST(CodecsJpeg, ExifOrientationTurnsThePictureUpright)
{
    // Stored 40 x 20: left half red, right half blue.
    Bitmap stored = Solid(40, 20, 0x0000FF);
    FillRect(stored, {20, 0, 40, 20}, 0xFF0000);
    const QByteArray plain = EncodeJpeg(stored);
    struct Case
    {
        int orientation;
        int width, height;
        TColor topLeft, bottomRight;
    };
    const Case cases[] = {
        {1, 40, 20, 0x0000FF, 0xFF0000},
        {3, 40, 20, 0xFF0000, 0x0000FF},
        {6, 20, 40, 0x0000FF, 0xFF0000}, // turned clockwise: the left half on top
        {8, 20, 40, 0xFF0000, 0x0000FF},
    };
    for (bool bigEndian : {false, true})
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << "orientation " << c.orientation << (bigEndian ? " MM" : " II"));
            const QByteArray jpeg = WithOrientation(plain, c.orientation, bigEndian);
            JpegReader reader(jpeg);
            EXPECT_EQ(reader.orientation(), c.orientation);
            EXPECT_EQ(reader.shownWidth(), c.width);
            const Bitmap shown = reader.decode(8);
            ASSERT_EQ(shown.width(), c.width);
            ASSERT_EQ(shown.height(), c.height);
            EXPECT_LT(ColourDistance(shown.pixel(2, 2), c.topLeft), 40);
            EXPECT_LT(ColourDistance(shown.pixel(c.width - 3, c.height - 3), c.bottomRight), 40);
        }
    const std::uint8_t shortExif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 200, 0, 0, 0};
    EXPECT_EQ(ExifOrientation(shortExif, sizeof shortExif), 1);
    EXPECT_EQ(ExifOrientation(shortExif, 3), 1);
}

TEST(CodecsJpeg, MalformedFilesRaiseTheLibrarysMessage)
{
    const QByteArray jpeg = EncodeJpeg(Gradient(64, 64));
    EXPECT_THROW(DecodeJpeg(QByteArray()), QmError);
    EXPECT_THROW(DecodeJpeg(QByteArray("GIF89a not a jpeg")), QmError);
    const QString truncated = ErrorOf([&] { DecodeJpeg(jpeg.left(jpeg.size() * 2 / 3)); });
    EXPECT_TRUE(truncated.contains(QStringLiteral("Premature end of JPEG file"))) << truncated.toStdString();
    const QString header = ErrorOf([&] { DecodeJpeg(jpeg.left(40)); });
    EXPECT_NE(header, QStringLiteral("(no error)"));
    QByteArray corrupt = jpeg;
    for (int i = corrupt.size() / 2; i < corrupt.size() - 2; ++i)
        corrupt[i] = char(0xFF);
    EXPECT_THROW(DecodeJpeg(corrupt), QmError);

    // A header claiming 30000 x 30000 pixels is refused before anything is allocated.
    QByteArray huge = jpeg;
    const int sof = MarkerAt(huge, 0xC0);
    huge[sof + 3] = char(30000 >> 8), huge[sof + 4] = char(30000 & 0xFF);
    huge[sof + 5] = char(30000 >> 8), huge[sof + 6] = char(30000 & 0xFF);
    const QString tooLarge = ErrorOf([&] { DecodeJpeg(huge); });
    EXPECT_TRUE(tooLarge.contains(QStringLiteral("too large"))) << tooLarge.toStdString();
}

// ---- GIF ----

QByteArray WriteForeignGif(int width, int height, bool interlace, int transparent, const std::function<int(int, int)> &index,
                           int screenWidth = 0, int screenHeight = 0)
{
    QByteArray bytes;
    int error = 0;
    GifFileType *gif = EGifOpen(
        &bytes,
        [](GifFileType *g, const GifByteType *b, int n) {
            static_cast<QByteArray *>(g->UserData)->append(reinterpret_cast<const char *>(b), n);
            return n;
        },
        &error);
    ColorMapObject *global = GifMakeMapObject(2, nullptr);
    global->Colors[0] = {0, 0, 0};
    global->Colors[1] = {255, 255, 255};
    ColorMapObject *local = GifMakeMapObject(4, nullptr);
    local->Colors[0] = {255, 0, 0};
    local->Colors[1] = {0, 255, 0};
    local->Colors[2] = {0, 0, 255};
    local->Colors[3] = {9, 9, 9};
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, screenWidth ? screenWidth : width, screenHeight ? screenHeight : height, 8, 0, global);
    if (transparent >= 0) {
        GraphicsControlBlock gcb{};
        gcb.TransparentColor = transparent;
        gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
        GifByteType ext[4];
        EGifGCBToExtension(&gcb, ext);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    }
    EGifPutImageDesc(gif, 0, 0, width, height, interlace, local);
    std::vector<GifPixelType> line(std::size_t(width), 0);
    std::vector<int> order;
    if (interlace) {
        const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < height; y += step[pass])
                order.push_back(y);
    } else {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
    }
    for (int y : order) {
        for (int x = 0; x < width; ++x)
            line[std::size_t(x)] = GifPixelType(index(x, y));
        EGifPutLine(gif, line.data(), width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(global);
    GifFreeMapObject(local);
    return bytes;
}

TEST(CodecsGif, ReadsInterlacedImagesWithLocalColoursAndTransparency)
{
    // Row y uses colour y % 4; colour 3 is transparent.
    const QByteArray gif = WriteForeignGif(
        5, 11, true, 3, [](int, int y) { return y % 4; }, 7, 12);
    const Bitmap b = DecodeGif(gif, 0x336699);
    ASSERT_EQ(b.width(), 7);
    ASSERT_EQ(b.height(), 12);
    EXPECT_EQ(b.pixel(1, 0), 0x0000FFu);
    EXPECT_EQ(b.pixel(1, 1), 0x00FF00u);
    EXPECT_EQ(b.pixel(1, 2), 0xFF0000u);
    EXPECT_EQ(b.pixel(1, 3), 0x336699u) << "transparent index takes the fill colour";
    EXPECT_EQ(b.pixel(4, 9), 0x00FF00u);
    EXPECT_EQ(b.pixel(6, 5), 0x336699u) << "screen outside the image";
    EXPECT_EQ(b.pixel(2, 11), 0x336699u);

    const Bitmap plain = DecodeGif(WriteForeignGif(3, 3, false, -1, [](int x, int) { return x; }), 0);
    EXPECT_EQ(plain.pixel(2, 1), 0xFF0000u);
}

TEST(CodecsGif, WritesOneImageWith256ColoursAndNoTransparency)
{
    Bitmap few(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            few.setPixel(x, y, std::uint8_t(x % 8 * 32), std::uint8_t(y % 8 * 32), std::uint8_t((x / 8 + y / 8) % 4 * 80));
    const QByteArray gif = EncodeGif(few);
    ASSERT_GT(gif.size(), 13 + 768 + 10);
    EXPECT_EQ(std::uint8_t(gif[10]) & 0x87, 0x87) << "a global table of 256 entries";
    EXPECT_EQ(std::uint8_t(gif[13 + 768]), 0x2C) << "the image follows the table: no control extension";
    EXPECT_EQ(gif.count(QByteArray("\x21\xF9", 2)) == 0 || gif.indexOf(QByteArray("\x21\xF9", 2)) > 13 + 768, true);
    // Fewer than 256 colours survive exactly.
    EXPECT_EQ(Psnr(few, DecodeGif(gif, 0)), 99.0);

    const Bitmap many = Gradient(96, 64);
    const Bitmap back = DecodeGif(EncodeGif(many), 0);
    EXPECT_GT(Psnr(many, back), 34.0);
}

TEST(CodecsOctree, PaletteFitsAndEveryPixelTakesItsNearestEntry)
{
    const Bitmap picture = Gradient(50, 40);
    const IndexedPicture indexed = Quantise(picture, 256);
    ASSERT_LE(indexed.palette.size(), 256u);
    ASSERT_GE(indexed.palette.size(), 200u);
    for (int y = 0; y < 40; y += 3)
        for (int x = 0; x < 50; x += 3) {
            const TColor c = picture.pixel(x, y);
            const auto &chosen = indexed.palette[indexed.indexes[std::size_t(y * 50 + x)]];
            const int d = ColourDistance(c, TColor(chosen.r | chosen.g << 8 | chosen.b << 16));
            for (const PaletteColor &p : indexed.palette)
                ASSERT_LE(d, ColourDistance(c, TColor(p.r | p.g << 8 | p.b << 16)));
        }
    EXPECT_EQ(OctreePalette(Solid(9, 9, 0x123456), 256).size(), 1u);
    EXPECT_LE(OctreePalette(picture, 16).size(), 16u);
}

TEST(CodecsGif, MalformedFilesRaiseErrors)
{
    const QByteArray gif = EncodeGif(Gradient(64, 64));
    EXPECT_THROW(DecodeGif(QByteArray(), 0), QmError);
    EXPECT_THROW(DecodeGif(QByteArray("GIF89a"), 0), QmError);
    EXPECT_THROW(DecodeGif(gif.left(gif.size() / 2), 0), QmError);
    EXPECT_THROW(DecodeGif(gif.left(13 + 768 + 1), 0), QmError);
    // A logical screen of 65535 x 65535 is refused before it is allocated.
    QByteArray huge = gif;
    huge[6] = huge[7] = huge[8] = huge[9] = char(0xFF);
    const QString message = ErrorOf([&] { DecodeGif(huge, 0); });
    EXPECT_TRUE(message.contains(QStringLiteral("too large"))) << message.toStdString();
    // Only a trailer after the screen: no image.
    EXPECT_THROW(DecodeGif(gif.left(13 + 768) + QByteArray(1, ';'), 0), QmError);
}

// ---- BMP ----

// A bitmap file with a 40-byte header (or `headerSize` with masks), the rows as given.
QByteArray MakeBmp(int width, int height, int bits, std::uint32_t compression, const QByteArray &extra, const QByteArray &rows,
                   int headerSize = 40)
{
    QByteArray header(14 + headerSize, '\0');
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = char(v >> (8 * i));
    };
    header[0] = 'B', header[1] = 'M';
    put32(10, std::uint32_t(14 + headerSize + extra.size()));
    put32(14, std::uint32_t(headerSize));
    put32(18, std::uint32_t(width));
    put32(22, std::uint32_t(height));
    header[26] = 1;
    header[28] = char(bits);
    put32(30, compression);
    QByteArray file = header + extra + rows;
    put32(2, std::uint32_t(file.size()));
    file.replace(0, 14, header.left(14));
    return file;
}

TEST(CodecsBmp, RoundTripIs24BitBottomUpAndExact)
{
    const Bitmap picture = Gradient(5, 3); // 15 bytes a row: padded to 16
    const QByteArray bmp = EncodeBmp(picture);
    EXPECT_EQ(bmp.size(), 54 + 16 * 3);
    EXPECT_EQ(std::uint8_t(bmp[28]), 24);
    EXPECT_EQ(std::uint8_t(bmp[30]), 0);
    EXPECT_EQ(std::uint8_t(bmp[22]), 3) << "positive height: bottom-up";
    EXPECT_EQ(Psnr(picture, DecodeBmp(bmp)), 99.0);
}

TEST(CodecsBmp, ReadsPalettesMasksAndTopDownRows)
{
    const QByteArray palette("\x00\x00\xFF\x00"
                             "\xFF\x00\x00\x00",
                             8); // red, blue
    // 1 bit, 3 x 2, bottom-up: bottom row 101, top row 010.
    const QByteArray rows1("\xA0\0\0\0"
                           "\x40\0\0\0",
                           8);
    const Bitmap one = DecodeBmp(MakeBmp(3, 2, 1, 0, palette, rows1));
    EXPECT_EQ(one.pixel(0, 1), 0xFF0000u);
    EXPECT_EQ(one.pixel(1, 1), 0x0000FFu);
    EXPECT_EQ(one.pixel(1, 0), 0xFF0000u);

    // 4 bits, top-down (negative height).
    const QByteArray rows4("\x01\x10\0\0"
                           "\x11\x00\0\0",
                           8);
    const Bitmap four = DecodeBmp(MakeBmp(3, -2, 4, 0, palette, rows4));
    EXPECT_EQ(four.pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(four.pixel(1, 0), 0xFF0000u);
    EXPECT_EQ(four.pixel(0, 1), 0xFF0000u);
    EXPECT_EQ(four.pixel(2, 1), 0x0000FFu);

    const QByteArray rows8("\x01\x00\x01\x00", 4);
    const Bitmap eight = DecodeBmp(MakeBmp(3, 1, 8, 0, palette, rows8));
    EXPECT_EQ(eight.pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(eight.pixel(1, 0), 0x0000FFu);

    // 16 bits 5-5-5: pure green 0x03E0.
    const Bitmap sixteen = DecodeBmp(MakeBmp(1, 1, 16, 0, QByteArray(), QByteArray("\xE0\x03\0\0", 4)));
    EXPECT_EQ(sixteen.pixel(0, 0), 0x00FF00u);

    // 32 bits with masks: red in the top byte, green next, blue next.
    const QByteArray masks("\x00\x00\x00\xFF"
                           "\x00\x00\xFF\x00"
                           "\x00\xFF\x00\x00",
                           12);
    const Bitmap fields = DecodeBmp(MakeBmp(1, 1, 32, 3, masks, QByteArray("\x00\x30\x20\x10", 4)));
    EXPECT_EQ(fields.pixel(0, 0), 0x302010u);
    // The same masks inside a 108-byte header.
    QByteArray v4 = MakeBmp(1, 1, 32, 3, QByteArray(), QByteArray("\x00\x30\x20\x10", 4), 108);
    v4.replace(54, 12, masks);
    EXPECT_EQ(DecodeBmp(v4).pixel(0, 0), 0x302010u);
}

TEST(CodecsBmp, RefusesCompressedTruncatedAndOversizedFiles)
{
    const QByteArray palette(1024, '\0');
    const QString rle = ErrorOf([&] { DecodeBmp(MakeBmp(4, 4, 8, 1, palette, QByteArray(16, '\0'))); });
    EXPECT_TRUE(rle.contains(QStringLiteral("run-length"))) << rle.toStdString();
    const QByteArray good = EncodeBmp(Gradient(20, 20));
    EXPECT_THROW(DecodeBmp(good.left(good.size() - 10)), QmError);
    EXPECT_THROW(DecodeBmp(good.left(30)), QmError);
    EXPECT_THROW(DecodeBmp(QByteArray("BM")), QmError);
    EXPECT_THROW(DecodeBmp(MakeBmp(4, 4, 7, 0, QByteArray(), QByteArray(64, '\0'))), QmError);
    EXPECT_THROW(DecodeBmp(MakeBmp(0, 4, 24, 0, QByteArray(), QByteArray(64, '\0'))), QmError);
    const QString huge = ErrorOf([&] { DecodeBmp(MakeBmp(50000, 50000, 24, 0, QByteArray(), QByteArray(64, '\0'))); });
    EXPECT_TRUE(huge.contains(QStringLiteral("too large"))) << huge.toStdString();
}

} // namespace

TEST(CodecsJpeg, AFileCutShortInRowsTheCropNeverShowsIsStillRefused)
{
    // Mode 1 from 1024 x 768 to 667 x 375 crops the bottom rows away; a file that ends
    // there would give a complete picture, but a damaged source must not publish silently.
    const QByteArray jpeg = EncodeJpeg(Gradient(1024, 768));
    const QByteArray shortened = jpeg.left(jpeg.size() - jpeg.size() / 20);
    const QString cut = ErrorOf([&] {
        JpegReader reader(shortened); // reads from these bytes until it goes
        reader.decode(8, SourceRect{0.0, 96.0, 1024.0, 480.0}, 0);
    });
    EXPECT_TRUE(cut.startsWith(QStringLiteral("The JPEG picture cannot be read:"))) << cut.toStdString();
}
