#include "publish/codecs/GifCodec.h"

#include "model/Error.h"
#include "publish/Octree.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct ReadCursor
{
    const QByteArray *bytes;
    qsizetype at;
};

int ReadFromMemory(GifFileType *gif, GifByteType *buffer, int length)
{
    auto *cursor = static_cast<ReadCursor *>(gif->UserData);
    const qsizetype n = std::min<qsizetype>(length, cursor->bytes->size() - cursor->at);
    if (n <= 0)
        return 0;
    std::memcpy(buffer, cursor->bytes->constData() + cursor->at, std::size_t(n));
    cursor->at += n;
    return int(n);
}

int WriteToMemory(GifFileType *gif, const GifByteType *buffer, int length)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(buffer), length);
    return length;
}

QString ErrorText(int code)
{
    const char *text = GifErrorString(code);
    return text ? QString::fromLatin1(text) : QStringLiteral("error %1").arg(code);
}

[[noreturn]] void RaiseRead(int code)
{
    throw QmError(QStringLiteral("The GIF picture cannot be read: %1.").arg(ErrorText(code)));
}

// Closes the decoder however the reading ends.
struct DecoderGuard
{
    GifFileType *gif = nullptr;
    ~DecoderGuard()
    {
        if (gif) {
            int error = 0;
            DGifCloseFile(gif, &error);
        }
    }
};

struct EncoderGuard
{
    GifFileType *gif = nullptr;
    ~EncoderGuard()
    {
        if (gif) {
            int error = 0;
            EGifCloseFile(gif, &error);
        }
    }
};

} // namespace

Bitmap DecodeGif(const QByteArray &bytes, TColor fill, std::int64_t maxPixels)
{
    ReadCursor cursor{&bytes, 0};
    int error = 0;
    DecoderGuard guard;
    guard.gif = DGifOpen(&cursor, ReadFromMemory, &error);
    if (!guard.gif)
        RaiseRead(error);
    GifFileType *gif = guard.gif;

    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            RaiseRead(gif->Error);
        if (type == TERMINATE_RECORD_TYPE)
            throw QmError(QStringLiteral("The GIF picture cannot be read: the file holds no image."));
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                RaiseRead(gif->Error);
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
                GraphicsControlBlock gcb;
                if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
                    transparent = gcb.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    RaiseRead(gif->Error);
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            throw QmError(QStringLiteral("The GIF picture cannot be read: unexpected data in the file."));
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            RaiseRead(gif->Error);
        break;
    }

    const GifImageDesc &desc = gif->Image;
    const ColorMapObject *map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || map->ColorCount <= 0 || !map->Colors)
        throw QmError(QStringLiteral("The GIF picture cannot be read: it has no colour table."));
    if (desc.Width < 1 || desc.Height < 1 || desc.Left < 0 || desc.Top < 0)
        throw QmError(QStringLiteral("The GIF picture cannot be read: the image has no size."));
    // The picture is the logical screen, grown where the image reaches beyond it.
    const int width = std::max(gif->SWidth, desc.Left + desc.Width);
    const int height = std::max(gif->SHeight, desc.Top + desc.Height);
    Bitmap picture(width, height, maxPixels);
    Fill(picture, fill);

    const std::uint8_t fr = fill & 0xFF, fg = (fill >> 8) & 0xFF, fb = (fill >> 16) & 0xFF;
    std::vector<GifPixelType> line(std::size_t(desc.Width));
    auto storeLine = [&](int y) {
        std::uint8_t *out = picture.row(desc.Top + y) + std::size_t(desc.Left) * 3;
        for (int x = 0; x < desc.Width; ++x, out += 3) {
            const int index = line[std::size_t(x)];
            if (index == transparent) {
                out[0] = fr, out[1] = fg, out[2] = fb;
            } else if (index < map->ColorCount) {
                const GifColorType &c = map->Colors[index];
                out[0] = c.Red, out[1] = c.Green, out[2] = c.Blue;
            } else {
                out[0] = out[1] = out[2] = 0; // an index past the table: black
            }
        }
    };
    auto readLine = [&](int y) {
        if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR)
            RaiseRead(gif->Error);
        storeLine(y);
    };
    if (desc.Interlace) {
        static const int start[] = {0, 4, 2, 1};
        static const int step[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < desc.Height; y += step[pass])
                readLine(y);
    } else {
        for (int y = 0; y < desc.Height; ++y)
            readLine(y);
    }
    return picture;
}

QByteArray EncodeGif(const Bitmap &picture)
{
    if (picture.isNull())
        throw QmError(QStringLiteral("An empty picture cannot be written as GIF."));
    if (picture.width() > 0xFFFF || picture.height() > 0xFFFF)
        throw QmError(QStringLiteral("A GIF picture can be at most 65535 pixels wide and high."));
    const IndexedPicture indexed = Quantise(picture, 256);

    // Always a table of 256 entries; entries the picture does not need stay black.
    ColorMapObject *map = GifMakeMapObject(256, nullptr);
    if (!map)
        throw QmError(QStringLiteral("The GIF picture cannot be written: out of memory."));
    for (std::size_t i = 0; i < indexed.palette.size(); ++i)
        map->Colors[i] = {indexed.palette[i].r, indexed.palette[i].g, indexed.palette[i].b};

    QByteArray bytes;
    int error = 0;
    EncoderGuard guard;
    guard.gif = EGifOpen(&bytes, WriteToMemory, &error);
    auto raise = [&](int code) {
        GifFreeMapObject(map);
        throw QmError(QStringLiteral("The GIF picture cannot be written: %1.").arg(ErrorText(code)));
    };
    if (!guard.gif)
        raise(error);
    GifFileType *gif = guard.gif;
    if (EGifPutScreenDesc(gif, picture.width(), picture.height(), 8, 0, map) == GIF_ERROR ||
        EGifPutImageDesc(gif, 0, 0, picture.width(), picture.height(), false, nullptr) == GIF_ERROR)
        raise(gif->Error);
    std::vector<GifPixelType> line(std::size_t(picture.width()));
    for (int y = 0; y < picture.height(); ++y) {
        std::copy_n(indexed.indexes.begin() + std::ptrdiff_t(y) * picture.width(), picture.width(), line.begin());
        if (EGifPutLine(gif, line.data(), picture.width()) == GIF_ERROR)
            raise(gif->Error);
    }
    guard.gif = nullptr;
    const int closed = EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    if (closed == GIF_ERROR)
        throw QmError(QStringLiteral("The GIF picture cannot be written: %1.").arg(ErrorText(error)));
    return bytes;
}
