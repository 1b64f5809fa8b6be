#include "publish/codecs/TiffCodec.h"

#include "model/Error.h"

#include <QRegularExpression>

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// libtiff reads the file from memory through these.
struct MemoryFile
{
    const QByteArray &bytes;
    toff_t at = 0;
    QString error; // the library's first error message
};

tmsize_t ReadProc(thandle_t handle, void *buffer, tmsize_t size)
{
    auto *file = static_cast<MemoryFile *>(handle);
    const toff_t total = toff_t(file->bytes.size());
    if (size <= 0 || file->at >= total)
        return 0;
    const tmsize_t n = tmsize_t(std::min<toff_t>(toff_t(size), total - file->at));
    std::memcpy(buffer, file->bytes.constData() + file->at, std::size_t(n));
    file->at += toff_t(n);
    return n;
}

tmsize_t WriteProc(thandle_t, void *, tmsize_t)
{
    return 0;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    auto *file = static_cast<MemoryFile *>(handle);
    const toff_t total = toff_t(file->bytes.size());
    toff_t base = whence == SEEK_CUR ? file->at : whence == SEEK_END ? total : 0;
    // An offset read from the file may be anything; the position stays within reach.
    if (offset > (toff_t(1) << 40) || base + offset > (toff_t(1) << 40))
        return toff_t(-1);
    file->at = base + offset;
    return file->at;
}

int CloseProc(thandle_t)
{
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return toff_t(static_cast<MemoryFile *>(handle)->bytes.size());
}

int MapProc(thandle_t, void **, toff_t *)
{
    return 0;
}

void UnmapProc(thandle_t, void *, toff_t)
{}

int OnError(TIFF *, void *user, const char *, const char *format, va_list args)
{
    auto *file = static_cast<MemoryFile *>(user);
    if (file->error.isEmpty()) {
        char message[512];
        std::vsnprintf(message, sizeof message, format, args);
        // Many messages start with the name the file was opened under.
        file->error = QString::fromLocal8Bit(message).remove(QRegularExpression(QStringLiteral("^picture: ")));
    }
    return 1;
}

int OnWarning(TIFF *, void *, const char *, const char *, va_list)
{
    return 1;
}

struct TiffCloser
{
    void operator()(TIFF *tif) const { TIFFClose(tif); }
};

QmError ReadError(const QString &why)
{
    return QmError(QStringLiteral("The TIFF picture cannot be read: %1.").arg(why.isEmpty() ? QStringLiteral("the file is damaged") : why));
}

} // namespace

DecodedPicture DecodeTiff(const QByteArray &bytes, std::int64_t maxPixels)
{
    MemoryFile file{bytes, 0, QString()};
    std::unique_ptr<TIFFOpenOptions, decltype(&TIFFOpenOptionsFree)> options(TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t(256) << 20);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &file);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, &file);
    const std::unique_ptr<TIFF, TiffCloser> tif(
        TIFFClientOpenExt("picture", "rm", &file, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc, UnmapProc, options.get()));
    if (!tif)
        throw ReadError(file.error);
    std::uint32_t width = 0, height = 0;
    if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height))
        throw ReadError(file.error);
    DecodedPicture result;
    // Checked before anything of the picture's size is allocated.
    result.pixels = Bitmap(int(std::min<std::uint32_t>(width, 1u << 30)), int(std::min<std::uint32_t>(height, 1u << 30)), maxPixels);
    std::uint32_t iccSize = 0;
    void *icc = nullptr;
    if (TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &iccSize, &icc) && icc && iccSize > 0)
        result.icc = QByteArray(static_cast<const char *>(icc), qsizetype(iccSize));

    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif.get(), message))
        throw ReadError(QString::fromLocal8Bit(message));
    TIFFRGBAImage image;
    if (!TIFFRGBAImageBegin(&image, tif.get(), 0, message))
        throw ReadError(QString::fromLocal8Bit(message));
    // Rows as stored, top row first: the orientation is applied with the others'.
    image.req_orientation = image.orientation;
    result.orientation = std::clamp(int(image.orientation), 1, 8);
    const bool alpha = image.alpha != 0;
    std::vector<std::uint32_t> raster(std::size_t(width) * height);
    const int ok = TIFFRGBAImageGet(&image, raster.data(), width, height);
    TIFFRGBAImageEnd(&image);
    if (!ok)
        throw ReadError(file.error);
    if (alpha)
        result.alpha.resize(raster.size());
    std::uint8_t *out = result.pixels.data();
    for (std::size_t i = 0; i < raster.size(); ++i, out += 3) {
        const std::uint32_t p = raster[i];
        unsigned r = TIFFGetR(p), g = TIFFGetG(p), b = TIFFGetB(p);
        if (alpha) {
            // libtiff hands colours premultiplied by their coverage.
            const unsigned a = TIFFGetA(p);
            result.alpha[i] = std::uint8_t(a);
            if (a > 0 && a < 255) {
                r = std::min(255u, (r * 255 + a / 2) / a);
                g = std::min(255u, (g * 255 + a / 2) / a);
                b = std::min(255u, (b * 255 + a / 2) / a);
            }
        }
        out[0] = std::uint8_t(r);
        out[1] = std::uint8_t(g);
        out[2] = std::uint8_t(b);
    }
    const bool turned = result.orientation >= 5;
    result.shownWidth = turned ? result.pixels.height() : result.pixels.width();
    result.shownHeight = turned ? result.pixels.width() : result.pixels.height();
    return result;
}
