#include "publish/codecs/PngCodec.h"

#include "model/Error.h"
#include "publish/codecs/JpegCodec.h"

#include <png.h>
#include <zlib.h>

#include <cstring>
#include <vector>

namespace {

constexpr qsizetype kMaxProfileBytes = qsizetype(1) << 24;

std::uint32_t BigEndian32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return std::uint32_t(u[0]) << 24 | std::uint32_t(u[1]) << 16 | std::uint32_t(u[2]) << 8 | std::uint32_t(u[3]);
}

// The zlib stream of an iCCP chunk, unpacked; empty when it is broken or too large.
QByteArray Inflate(const char *data, std::size_t size)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return QByteArray();
    QByteArray out;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    z.avail_in = uInt(size);
    int status = Z_OK;
    char buffer[16384];
    while (status == Z_OK && out.size() <= kMaxProfileBytes) {
        z.next_out = reinterpret_cast<Bytef *>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
        if (status == Z_OK && z.avail_in == 0 && z.avail_out != 0)
            break;
    }
    inflateEnd(&z);
    return status == Z_STREAM_END && out.size() <= kMaxProfileBytes ? out : QByteArray();
}

// Takes the profile and orientation from the chunks before the picture data. False
// when a chunk reaches past the end of the file: libpng would allocate whatever
// length a chunk claims before it finds that out.
bool ReadChunks(const QByteArray &bytes, DecodedPicture &result)
{
    qsizetype at = 8;
    bool beforeData = true;
    while (at + 12 <= bytes.size()) {
        const std::uint32_t length = BigEndian32(bytes.constData() + at);
        const char *type = bytes.constData() + at + 4;
        const char *data = type + 4;
        if (length > std::uint32_t(bytes.size() - at - 12))
            return false;
        if (std::memcmp(type, "IEND", 4) == 0)
            return true;
        beforeData = beforeData && std::memcmp(type, "IDAT", 4) != 0;
        if (beforeData && std::memcmp(type, "iCCP", 4) == 0 && result.icc.isEmpty()) {
            // Name (1 to 79 bytes), a zero, the method (0), then the zlib stream.
            const auto *end = static_cast<const char *>(std::memchr(data, 0, std::min<std::uint32_t>(length, 80)));
            if (end && end + 2 <= data + length && end[1] == 0)
                result.icc = Inflate(end + 2, std::size_t(data + length - end - 2));
        } else if (beforeData && std::memcmp(type, "eXIf", 4) == 0) {
            result.orientation = TiffOrientation(reinterpret_cast<const std::uint8_t *>(data), length);
        }
        at += qsizetype(length) + 12;
    }
    return false;
}

struct ImageReader
{
    png_image image;
    ImageReader() { std::memset(&image, 0, sizeof image), image.version = PNG_IMAGE_VERSION; }
    ~ImageReader() { png_image_free(&image); }
    ImageReader(const ImageReader &) = delete;
    ImageReader &operator=(const ImageReader &) = delete;
};

QmError ReadError(const png_image &image)
{
    return QmError(QStringLiteral("The PNG picture cannot be read: %1.").arg(QString::fromLocal8Bit(image.message)));
}

} // namespace

DecodedPicture DecodePng(const QByteArray &bytes, std::int64_t maxPixels)
{
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.constData()), 0, 8) != 0)
        throw QmError(QStringLiteral("The PNG picture cannot be read: the file does not begin as a PNG file does."));
    DecodedPicture result;
    if (!ReadChunks(bytes, result))
        throw QmError(QStringLiteral("The PNG picture cannot be read: the file is cut short or damaged."));
    ImageReader reader;
    png_image &image = reader.image;
    if (!png_image_begin_read_from_memory(&image, bytes.constData(), std::size_t(bytes.size())))
        throw ReadError(image);
    // Checked before anything of the picture's size is allocated.
    result.pixels =
        Bitmap(int(std::min<png_uint_32>(image.width, 1u << 30)), int(std::min<png_uint_32>(image.height, 1u << 30)), maxPixels);
    const bool alpha = image.format & PNG_FORMAT_FLAG_ALPHA;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    if (alpha) {
        std::vector<std::uint8_t> rgba(std::size_t(image.width) * image.height * 4);
        if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
            throw ReadError(image);
        result.alpha.resize(std::size_t(image.width) * image.height);
        std::uint8_t *p = result.pixels.data();
        for (std::size_t i = 0; i < result.alpha.size(); ++i, p += 3) {
            std::memcpy(p, &rgba[4 * i], 3);
            result.alpha[i] = rgba[4 * i + 3];
        }
    } else if (!png_image_finish_read(&image, nullptr, result.pixels.data(), 0, nullptr)) {
        throw ReadError(image);
    }
    result.shownWidth = result.orientation >= 5 ? result.pixels.height() : result.pixels.width();
    result.shownHeight = result.orientation >= 5 ? result.pixels.width() : result.pixels.height();
    result.lossless = true;
    return result;
}

QByteArray EncodePng(const Bitmap &picture, const AlphaPlane &alpha)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(picture.width());
    image.height = png_uint_32(picture.height());
    image.format = alpha.empty() ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba;
    const void *pixels = picture.data();
    if (!alpha.empty()) {
        rgba.resize(alpha.size() * 4);
        const std::uint8_t *p = picture.data();
        for (std::size_t i = 0; i < alpha.size(); ++i, p += 3) {
            std::memcpy(&rgba[4 * i], p, 3);
            rgba[4 * i + 3] = alpha[i];
        }
        pixels = rgba.data();
    }
    png_alloc_size_t size = 0;
    QByteArray bytes;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr)) {
        bytes.resize(qsizetype(size));
        if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels, 0, nullptr))
            bytes.clear();
        bytes.resize(qsizetype(size));
    }
    if (bytes.isEmpty())
        throw QmError(QStringLiteral("The PNG picture cannot be written: %1.").arg(QString::fromLocal8Bit(image.message)));
    return bytes;
}
