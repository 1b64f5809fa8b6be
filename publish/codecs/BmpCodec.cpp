#include "publish/codecs/BmpCodec.h"

#include "model/Error.h"

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

namespace {

[[noreturn]] void Refuse(const QString &why)
{
    throw QmError(QStringLiteral("The BMP picture cannot be read: %1.").arg(why));
}

std::uint32_t U32(const QByteArray &b, qsizetype at)
{
    const auto *p = reinterpret_cast<const std::uint8_t *>(b.constData()) + at;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t U16(const QByteArray &b, qsizetype at)
{
    const auto *p = reinterpret_cast<const std::uint8_t *>(b.constData()) + at;
    return std::uint16_t(p[0] | p[1] << 8);
}

// One colour channel of a bit-field mask: where it sits and how wide it is.
struct Channel
{
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            bits = std::popcount(m >> shift);
            if (bits > 8) // keep the top 8 bits of a wide channel
                shift += bits - 8, bits = 8;
        }
    }

    std::uint8_t operator()(std::uint32_t v) const
    {
        if (!bits)
            return 0;
        const std::uint32_t max = (1u << bits) - 1;
        const std::uint32_t value = (v >> shift) & max;
        return std::uint8_t((value * 255 + max / 2) / max);
    }
};

enum : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

} // namespace

Bitmap DecodeBmp(const QByteArray &b, std::int64_t maxPixels)
{
    if (b.size() < 14 + 12 || b[0] != 'B' || b[1] != 'M')
        Refuse(QStringLiteral("the file is not a Windows bitmap"));
    const std::uint32_t dataOffset = U32(b, 10);
    const std::uint32_t headerSize = U32(b, 14);
    if (headerSize < 12 || qsizetype(14) + headerSize > b.size())
        Refuse(QStringLiteral("the file header is damaged"));

    std::int64_t width, height;
    int bits;
    std::uint32_t compression = BI_RGB, paletteUsed = 0;
    int paletteEntrySize = 4;
    if (headerSize == 12) { // the old core header
        width = U16(b, 18);
        height = std::int16_t(U16(b, 20));
        bits = U16(b, 24);
        paletteEntrySize = 3;
    } else {
        if (headerSize < 40)
            Refuse(QStringLiteral("the file header is damaged"));
        width = std::int32_t(U32(b, 18));
        height = std::int32_t(U32(b, 22));
        bits = U16(b, 28);
        compression = U32(b, 30);
        paletteUsed = U32(b, 46);
    }
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width < 1 || height < 1 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        Refuse(QStringLiteral("the picture has no valid size"));
    if (compression == BI_RLE8 || compression == BI_RLE4)
        Refuse(QStringLiteral("run-length compressed bitmaps are not supported; please save it uncompressed"));
    if (compression != BI_RGB && compression != BI_BITFIELDS && compression != BI_ALPHABITFIELDS)
        Refuse(QStringLiteral("compression type %1 is not supported").arg(compression));
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        Refuse(QStringLiteral("%1 bits per pixel are not supported").arg(bits));
    if (compression != BI_RGB && bits != 16 && bits != 32)
        Refuse(QStringLiteral("bit-field masks need 16 or 32 bits per pixel"));
    if (width * height > maxPixels)
        Refuse(QStringLiteral("the picture is too large (%1 x %2 pixels); at most %3 megapixels can be processed")
                   .arg(width)
                   .arg(height)
                   .arg(maxPixels / 1'000'000));

    // Colour masks: in the header (v2 and later) or just after the 40-byte header.
    Channel red, green, blue;
    if (compression == BI_RGB) {
        if (bits == 16)
            red = Channel(0x7C00), green = Channel(0x03E0), blue = Channel(0x001F);
        else
            red = Channel(0xFF0000), green = Channel(0x00FF00), blue = Channel(0x0000FF);
    } else {
        if (qsizetype(14) + 40 + 12 > b.size())
            Refuse(QStringLiteral("the colour masks are missing"));
        red = Channel(U32(b, 54)), green = Channel(U32(b, 58)), blue = Channel(U32(b, 62));
    }

    std::vector<std::array<std::uint8_t, 3>> palette;
    if (bits <= 8) {
        const std::uint32_t maxEntries = 1u << bits;
        const std::uint32_t entries = paletteUsed == 0 || paletteUsed > maxEntries ? maxEntries : paletteUsed;
        qsizetype at = 14 + qsizetype(headerSize);
        if (compression == BI_BITFIELDS && headerSize == 40)
            at += 12;
        const qsizetype available = (qsizetype(std::min<std::uint32_t>(dataOffset, std::uint32_t(b.size()))) - at) / paletteEntrySize;
        const std::uint32_t count = std::uint32_t(std::clamp<qsizetype>(available, 0, entries));
        if (count == 0)
            Refuse(QStringLiteral("the colour table is missing"));
        palette.resize(maxEntries, {0, 0, 0});
        for (std::uint32_t i = 0; i < count; ++i, at += paletteEntrySize) {
            const auto *p = reinterpret_cast<const std::uint8_t *>(b.constData()) + at;
            palette[i] = {p[2], p[1], p[0]};
        }
    }

    const std::int64_t stride = ((width * bits + 31) / 32) * 4;
    if (dataOffset > std::uint32_t(b.size()) || std::int64_t(b.size()) - dataOffset < stride * (height - 1) + (width * bits + 7) / 8)
        Refuse(QStringLiteral("the file is truncated"));

    Bitmap picture(int(width), int(height), maxPixels);
    const auto *data = reinterpret_cast<const std::uint8_t *>(b.constData()) + dataOffset;
    for (int y = 0; y < int(height); ++y) {
        const std::uint8_t *in = data + (topDown ? y : height - 1 - y) * stride;
        std::uint8_t *out = picture.row(y);
        for (int x = 0; x < int(width); ++x, out += 3) {
            switch (bits) {
            case 1:
            case 4:
            case 8: {
                const int perByte = 8 / bits;
                const int shift = 8 - bits * (x % perByte + 1);
                const int index = (in[x / perByte] >> shift) & ((1 << bits) - 1);
                const auto &c = palette[std::size_t(index)];
                out[0] = c[0], out[1] = c[1], out[2] = c[2];
                break;
            }
            case 16: {
                const std::uint32_t v = std::uint32_t(in[2 * x]) | std::uint32_t(in[2 * x + 1]) << 8;
                out[0] = red(v), out[1] = green(v), out[2] = blue(v);
                break;
            }
            case 24:
                out[0] = in[3 * x + 2], out[1] = in[3 * x + 1], out[2] = in[3 * x];
                break;
            default: {
                const std::uint8_t *p = in + 4 * x;
                const std::uint32_t v =
                    std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
                out[0] = red(v), out[1] = green(v), out[2] = blue(v);
                break;
            }
            }
        }
    }
    return picture;
}

QByteArray EncodeBmp(const Bitmap &picture)
{
    if (picture.isNull())
        throw QmError(QStringLiteral("An empty picture cannot be written as BMP."));
    const std::int64_t stride = (std::int64_t(picture.width()) * 3 + 3) / 4 * 4;
    const std::int64_t imageSize = stride * picture.height();
    if (54 + imageSize > 0x7FFFFFFF)
        throw QmError(QStringLiteral("The picture is too large for a BMP file."));
    QByteArray b(qsizetype(54 + imageSize), '\0');
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    auto put16 = [&](int at, std::uint16_t v) {
        b[at] = char(v & 0xFF);
        b[at + 1] = char(v >> 8);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, std::uint32_t(54 + imageSize));
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(picture.width()));
    put32(22, std::uint32_t(picture.height())); // positive: bottom-up
    put16(26, 1);
    put16(28, 24);
    put32(30, BI_RGB);
    put32(34, std::uint32_t(imageSize));
    put32(38, 2835); // 72 dpi
    put32(42, 2835);
    auto *data = reinterpret_cast<std::uint8_t *>(b.data()) + 54;
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint8_t *in = picture.row(picture.height() - 1 - y);
        std::uint8_t *out = data + y * stride;
        for (int x = 0; x < picture.width(); ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return b;
}
