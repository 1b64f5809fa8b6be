#include "publish/codecs/Formats.h"

#include "model/Error.h"
#include "publish/Colour.h"
#include "publish/Pictures.h"
#include "publish/codecs/BmpCodec.h"
#include "publish/codecs/GifCodec.h"
#include "publish/codecs/HeifCodec.h"
#include "publish/codecs/JpegCodec.h"
#include "publish/codecs/PngCodec.h"
#include "publish/codecs/TiffCodec.h"
#include "publish/codecs/WebpCodec.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

bool Begins(const QByteArray &head, const char *magic, qsizetype at = 0)
{
    const auto n = qsizetype(std::strlen(magic));
    return head.size() >= at + n && std::memcmp(head.constData() + at, magic, std::size_t(n)) == 0;
}

// An ISO media file ("ftyp" box first) whose major or compatible brands include one of `brands`.
bool HasBrand(const QByteArray &head, std::initializer_list<const char *> brands)
{
    if (!Begins(head, "ftyp", 4))
        return false;
    for (qsizetype at = 8; at + 4 <= head.size(); at += at == 8 ? 8 : 4)
        for (const char *brand : brands)
            if (Begins(head, brand, at))
                return true;
    return false;
}

DecodedPicture Whole(Bitmap pixels)
{
    DecodedPicture result;
    result.shownWidth = pixels.width();
    result.shownHeight = pixels.height();
    result.pixels = std::move(pixels);
    return result;
}

// The first bytes of each type.
bool IsJpeg(const QByteArray &head)
{
    return Begins(head, "\xFF\xD8\xFF");
}
bool IsGif(const QByteArray &head)
{
    return Begins(head, "GIF87a") || Begins(head, "GIF89a");
}
bool IsBmp(const QByteArray &head)
{
    return Begins(head, "BM");
}
bool IsPng(const QByteArray &head)
{
    return Begins(head, "\x89PNG\r\n\x1A\n");
}
bool IsWebp(const QByteArray &head)
{
    return Begins(head, "RIFF") && Begins(head, "WEBP", 8);
}
bool IsHeic(const QByteArray &head)
{
    return HasBrand(head, {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"});
}
bool IsAvif(const QByteArray &head)
{
    return HasBrand(head, {"avif", "avis", "mif1"});
}
bool IsTiff(const QByteArray &head)
{
    for (const char *magic : {"II*\0", "MM\0*", "II+\0", "MM\0+"})
        if (head.startsWith(QByteArrayView(magic, 4)))
            return true;
    return false;
}

// A picture decoded whole (PNG, HEIF, TIFF) and drawn at least four times smaller
// is first shrunk by whole blocks, keeping twice the pixels drawn, which the
// resampling then takes down the rest of the way in a fraction of the time.
DecodedPicture ShrunkForDrawing(DecodedPicture picture, const DecodeRequest &request)
{
    if (!request.drawn || !picture.alpha.empty())
        return picture;
    const DrawnArea drawn = request.drawn(picture.shownWidth, picture.shownHeight);
    const double ratio = std::min((drawn.area.right - drawn.area.left) / std::max(drawn.width, 1),
                                  (drawn.area.bottom - drawn.area.top) / std::max(drawn.height, 1));
    const int factor = int(ratio / 2);
    if (factor >= 2) {
        picture.pixels = BoxShrink(picture.pixels, factor);
        picture.scale = 1.0 / factor;
    }
    return picture;
}

// The decoders and encoders as the table calls them.
DecodedPicture ReadGif(const QByteArray &bytes, const DecodeRequest &r)
{
    return Whole(DecodeGif(bytes, r.fill, r.maxPixels));
}
DecodedPicture ReadBmp(const QByteArray &bytes, const DecodeRequest &r)
{
    return Whole(DecodeBmp(bytes, r.maxPixels));
}
DecodedPicture ReadPng(const QByteArray &bytes, const DecodeRequest &r)
{
    return ShrunkForDrawing(DecodePng(bytes, r.maxPixels), r);
}
DecodedPicture ReadHeif(const QByteArray &bytes, const DecodeRequest &r)
{
    return ShrunkForDrawing(DecodeHeif(bytes, r.maxPixels), r);
}
DecodedPicture ReadTiff(const QByteArray &bytes, const DecodeRequest &r)
{
    return ShrunkForDrawing(DecodeTiff(bytes, r.maxPixels), r);
}
QByteArray WriteJpeg(const DrawnPicture &p)
{
    return EncodeJpeg(p.pixels, 90);
}
QByteArray WriteGif(const DrawnPicture &p)
{
    return EncodeGif(p.pixels);
}
QByteArray WriteBmp(const DrawnPicture &p)
{
    return EncodeBmp(p.pixels);
}
QByteArray WritePng(const DrawnPicture &p)
{
    return EncodePng(p.pixels, p.alpha);
}
QByteArray WriteWebp(const DrawnPicture &p)
{
    return EncodeWebp(p.pixels, p.alpha, p.lossless);
}

} // namespace

std::span<const PictureFormat> PictureFormats()
{
    // Made on first use, so that other files' start-up code may already ask. JPEG, GIF
    // and BMP come first, in the order the dialogs have always shown them.
    // clang-format off
    static const PictureFormat formats[] = {
        // name      extensions                                        output   dialog entry       alpha  first bytes  decoder           encoder
        {"JPEG",      {QStringLiteral("jpg"), QStringLiteral("jpeg")},  ".jpg",  "Jpeg Files",      false, IsJpeg,      DecodeJpegSource, WriteJpeg},
        {"GIF",       {QStringLiteral("gif")},                          ".gif",  "Gif Files",       false, IsGif,       ReadGif,          WriteGif},
        {"BMP",       {QStringLiteral("bmp")},                          ".bmp",  "Bitmap Files",    false, IsBmp,       ReadBmp,          WriteBmp},
        {"PNG",       {QStringLiteral("png")},                          ".png",  "PNG Files",       true,  IsPng,       ReadPng,          WritePng},
        {"WebP",      {QStringLiteral("webp")},                         ".webp", "WebP Files",      true,  IsWebp,      DecodeWebp,       WriteWebp},
        {"HEIC/HEIF", {QStringLiteral("heic"), QStringLiteral("heif")}, ".jpg",  "HEIC/HEIF Files", false, IsHeic,      ReadHeif,         nullptr},
        {"AVIF",      {QStringLiteral("avif")},                         ".jpg",  "AVIF Files",      false, IsAvif,      ReadHeif,         nullptr},
        {"TIFF",      {QStringLiteral("tif"), QStringLiteral("tiff")},  ".jpg",  "TIFF Files",      false, IsTiff,      ReadTiff,         nullptr},
    };
    // clang-format on
    return formats;
}

namespace {

// "*.jpg;*.jpeg" for one row.
QString Patterns(const PictureFormat &format)
{
    QStringList patterns;
    for (const QString &extension : format.extensions)
        patterns << QStringLiteral("*.") + extension;
    return patterns.join(QLatin1Char(';'));
}

} // namespace

const PictureFormat *FormatOfSource(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const PictureFormat &format : PictureFormats())
        if (format.extensions.contains(suffix))
            return &format;
    return nullptr;
}

const PictureFormat *FormatWriting(const QString &outputExtension)
{
    for (const PictureFormat &format : PictureFormats())
        if (format.encode && QLatin1String(format.outputExtension) == outputExtension)
            return &format;
    return nullptr;
}

QString SupportedPictureTypes()
{
    QStringList types;
    for (const PictureFormat &format : PictureFormats()) {
        QStringList dotted;
        for (const QString &extension : format.extensions)
            dotted << QLatin1Char('.') + extension;
        types << QStringLiteral("%1 (%2)").arg(QLatin1String(format.name), dotted.join(QStringLiteral(", ")));
    }
    const QString last = types.takeLast();
    return types.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

QString UnsupportedPictureMessage(const QString &path)
{
    return QStringLiteral("The picture \"%1\" is of an unsupported picture type: only %2 files can be used.")
        .arg(path, SupportedPictureTypes());
}

QString PictureDialogFilter()
{
    QStringList all, entries;
    for (const PictureFormat &format : PictureFormats()) {
        all << Patterns(format);
        entries << QStringLiteral("%1(%2)|%2").arg(QLatin1String(format.filterName), Patterns(format));
    }
    const QString every = all.join(QLatin1Char(';'));
    return QStringLiteral("All Image Files(%1)|%1|").arg(every) + entries.join(QLatin1Char('|'));
}

QString PictureProblem(const QString &path)
{
    const PictureFormat *format = FormatOfSource(path);
    if (!format)
        return UnsupportedPictureMessage(path);
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QStringLiteral("The picture \"%1\" cannot be opened: %2.")
            .arg(path, QFileInfo(path).isFile() ? file.errorString() : QStringLiteral("it is not a file"));
    if (!format->sniff(file.read(kSniffBytes)))
        return QStringLiteral("The picture \"%1\" is not a %2 picture: its content does not begin as such a file does.")
            .arg(path, QLatin1String(format->name));
    return QString();
}

DecodedPicture LoadPicture(const QString &path, const DecodeRequest &request)
{
    const PictureFormat *format = FormatOfSource(path);
    if (!format)
        throw QmError(UnsupportedPictureMessage(path));
    const QByteArray bytes = ReadPictureSource(path);
    try {
        DecodedPicture picture = format->decode(bytes, request);
        ConvertToSrgb(picture.pixels, picture.icc);
        picture.icc.clear();
        if (picture.orientation > 1) {
            const int w = picture.pixels.width(), h = picture.pixels.height();
            picture.pixels = Oriented(std::move(picture.pixels), picture.orientation);
            picture.alpha = OrientedAlpha(picture.alpha, w, h, picture.orientation);
            picture.orientation = 1;
        }
        return picture;
    } catch (const QmError &e) {
        throw QmError(QStringLiteral("%1\nPicture: %2").arg(e.message(), path));
    }
}
