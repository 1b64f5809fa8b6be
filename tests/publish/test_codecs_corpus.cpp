// The seed pictures of the decoder fuzz targets, each decoded as an ordinary test:
// every one must decode or raise QmError, never crash. Files whose name says so
// must decode (or must be refused).
#include "test_pictures_support.h"

#include "model/Error.h"
#include "publish/codecs/BmpCodec.h"
#include "publish/codecs/GifCodec.h"
#include "publish/codecs/HeifCodec.h"
#include "publish/codecs/JpegCodec.h"
#include "publish/codecs/PngCodec.h"
#include "publish/codecs/TiffCodec.h"
#include "publish/codecs/WebpCodec.h"

#include <QDir>
#include <QFileInfo>

using namespace picturetest;

namespace {

QString CorpusFolder(const QString &codec)
{
    // The source folder from the build, not __FILE__: with a compiler cache the latter is relative.
    return QString::fromUtf8(QM_TESTS_SOURCE_DIR) + QStringLiteral("/fuzz/corpus/") + codec;
}

QStringList CorpusFiles(const QString &codec)
{
    QDir dir(CorpusFolder(codec));
    QStringList files;
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

// Decodes with `decode`; true when it succeeded, false on QmError.
bool Decodes(const std::function<Bitmap()> &decode)
{
    try {
        const Bitmap b = decode();
        EXPECT_GE(b.width(), 1);
        EXPECT_GE(b.height(), 1);
        return true;
    } catch (const QmError &) {
        return false;
    }
}

bool ExpectedToFail(const QString &path)
{
    const QString name = QFileInfo(path).completeBaseName();
    return name.startsWith(QLatin1String("truncated")) || name.startsWith(QLatin1String("rle"));
}

TEST(CodecsCorpus, JpegSeedsDecodeAtEveryScaleOrRaise)
{
    const QStringList files = CorpusFiles(QStringLiteral("jpeg"));
    ASSERT_FALSE(files.isEmpty()) << CorpusFolder(QStringLiteral("jpeg")).toStdString();
    for (const QString &path : files) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray bytes = ReadBytes(path);
        for (int scale = 1; scale <= 8; ++scale)
            EXPECT_EQ(Decodes([&] { return JpegReader(bytes).decode(scale); }), !ExpectedToFail(path)) << scale;
        // Every prefix: cut anywhere, the reader still only raises.
        for (qsizetype n = 0; n < bytes.size(); n += 7)
            Decodes([&] { return DecodeJpeg(bytes.left(n)); });
    }
}

TEST(CodecsCorpus, GifSeedsDecodeOrRaise)
{
    const QStringList files = CorpusFiles(QStringLiteral("gif"));
    ASSERT_FALSE(files.isEmpty());
    for (const QString &path : files) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray bytes = ReadBytes(path);
        EXPECT_EQ(Decodes([&] { return DecodeGif(bytes, 0); }), !ExpectedToFail(path));
        for (qsizetype n = 0; n < bytes.size(); n += 3)
            Decodes([&] { return DecodeGif(bytes.left(n), 0); });
    }
}

TEST(CodecsCorpus, BmpSeedsDecodeOrRaise)
{
    const QStringList files = CorpusFiles(QStringLiteral("bmp"));
    ASSERT_FALSE(files.isEmpty());
    for (const QString &path : files) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray bytes = ReadBytes(path);
        EXPECT_EQ(Decodes([&] { return DecodeBmp(bytes); }), !ExpectedToFail(path));
        for (qsizetype n = 0; n < bytes.size(); n += 5)
            Decodes([&] { return DecodeBmp(bytes.left(n)); });
    }
}

TEST(CodecsCorpus, PngWebpHeifAndTiffSeedsDecodeOrRaise)
{
    const std::pair<const char *, std::function<DecodedPicture(const QByteArray &)>> codecs[] = {
        {"png", [](const QByteArray &b) { return DecodePng(b); }},
        {"webp", [](const QByteArray &b) { return DecodeWebp(b); }},
        {"heif", [](const QByteArray &b) { return DecodeHeif(b); }},
        {"tiff", [](const QByteArray &b) { return DecodeTiff(b); }},
    };
    for (const auto &[codec, decode] : codecs) {
        const QStringList files = CorpusFiles(QLatin1String(codec));
        ASSERT_FALSE(files.isEmpty()) << codec;
        for (const QString &path : files) {
            SCOPED_TRACE(path.toStdString());
            const QByteArray bytes = ReadBytes(path);
            EXPECT_EQ(Decodes([&] { return decode(bytes).pixels; }), !ExpectedToFail(path));
            for (qsizetype n = 0; n < bytes.size(); n += 1 + bytes.size() / 64)
                Decodes([&] { return decode(bytes.left(n)).pixels; });
        }
    }
}

} // namespace
