#include "publish/codecs/WebpCodec.h"

#include "model/Error.h"
#include "publish/codecs/JpegCodec.h"

#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// A picture drawn at least this many times smaller than it is decodes at twice the
// drawn size: libwebp's own averaging does the first part of the shrink.
constexpr double kHeadroom = 2.0;

QmError ReadError(const QString &why)
{
    return QmError(QStringLiteral("The WebP picture cannot be read: %1.").arg(why));
}

struct DemuxDeleter
{
    void operator()(WebPDemuxer *d) const { WebPDemuxDelete(d); }
};
struct AnimDeleter
{
    void operator()(WebPAnimDecoder *d) const { WebPAnimDecoderDelete(d); }
};

// Splits interleaved RGBA rows into the picture and its coverage; no coverage when
// every pixel is opaque.
void TakeRgba(const std::uint8_t *rgba, int stride, DecodedPicture &result)
{
    const int w = result.pixels.width(), h = result.pixels.height();
    result.alpha.resize(std::size_t(w) * std::size_t(h));
    bool opaque = true;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t *in = rgba + std::size_t(y) * std::size_t(stride);
        std::uint8_t *out = result.pixels.row(y);
        std::uint8_t *a = result.alpha.data() + std::size_t(y) * std::size_t(w);
        for (int x = 0; x < w; ++x, in += 4, out += 3) {
            std::memcpy(out, in, 3);
            a[x] = in[3];
            opaque = opaque && in[3] == 255;
        }
    }
    if (opaque)
        result.alpha.clear();
}

} // namespace

DecodedPicture DecodeWebp(const QByteArray &bytes, const DecodeRequest &request)
{
    const WebPData data{reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
    const std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&data));
    if (!demux)
        throw ReadError(QStringLiteral("the file is not a complete WebP file"));
    const int width = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
    const int height = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
    const std::uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    DecodedPicture result;
    result.pixels = Bitmap(width, height, request.maxPixels); // checked before decoding
    WebPChunkIterator chunk;
    if ((flags & ICCP_FLAG) && WebPDemuxGetChunk(demux.get(), "ICCP", 1, &chunk)) {
        result.icc = QByteArray(reinterpret_cast<const char *>(chunk.chunk.bytes), qsizetype(chunk.chunk.size));
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    if ((flags & EXIF_FLAG) && WebPDemuxGetChunk(demux.get(), "EXIF", 1, &chunk)) {
        result.orientation = TiffOrientation(chunk.chunk.bytes, chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    const bool turned = result.orientation >= 5;
    result.shownWidth = turned ? height : width;
    result.shownHeight = turned ? width : height;

    if (flags & ANIMATION_FLAG) {
        WebPAnimDecoderOptions options;
        WebPAnimDecoderOptionsInit(&options);
        options.color_mode = MODE_RGBA;
        options.use_threads = 0;
        const std::unique_ptr<WebPAnimDecoder, AnimDeleter> anim(WebPAnimDecoderNew(&data, &options));
        std::uint8_t *canvas = nullptr;
        int timestamp = 0;
        if (!anim || !WebPAnimDecoderGetNext(anim.get(), &canvas, &timestamp))
            throw ReadError(QStringLiteral("its first frame cannot be decoded"));
        TakeRgba(canvas, width * 4, result);
        return result;
    }

    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config) || WebPGetFeatures(data.bytes, data.size, &config.input) != VP8_STATUS_OK)
        throw ReadError(QStringLiteral("the file is not a complete WebP file"));
    result.lossless = config.input.format == 2;
    const bool alpha = config.input.has_alpha;
    config.output.colorspace = alpha ? MODE_RGBA : MODE_RGB;
    if (request.drawn) {
        const DrawnArea drawn = request.drawn(result.shownWidth, result.shownHeight);
        const double aw = drawn.area.right - drawn.area.left, ah = drawn.area.bottom - drawn.area.top;
        const double f = std::max(kHeadroom * drawn.width / std::max(aw, 1.0), kHeadroom * drawn.height / std::max(ah, 1.0));
        if (f < 1.0) {
            const int sw = std::max(int(std::lround(width * f)), 1);
            result.scale = double(sw) / width;
            config.options.use_scaling = 1;
            config.options.scaled_width = sw;
            config.options.scaled_height = std::max(int(std::lround(height * result.scale)), 1);
            result.pixels = Bitmap(sw, config.options.scaled_height, request.maxPixels);
        }
    }
    const int w = result.pixels.width(), h = result.pixels.height();
    if (alpha) {
        std::vector<std::uint8_t> rgba(std::size_t(w) * std::size_t(h) * 4);
        config.output.is_external_memory = 1;
        config.output.u.RGBA = {rgba.data(), w * 4, rgba.size()};
        if (WebPDecode(data.bytes, data.size, &config) != VP8_STATUS_OK)
            throw ReadError(QStringLiteral("the picture data is damaged or cut short"));
        TakeRgba(rgba.data(), w * 4, result);
    } else {
        config.output.is_external_memory = 1;
        config.output.u.RGBA = {result.pixels.data(), w * 3, std::size_t(w) * std::size_t(h) * 3};
        if (WebPDecode(data.bytes, data.size, &config) != VP8_STATUS_OK)
            throw ReadError(QStringLiteral("the picture data is damaged or cut short"));
    }
    return result;
}

QByteArray EncodeWebp(const Bitmap &picture, const AlphaPlane &alpha, bool lossless, WebpLossy lossy)
{
    WebPConfig config;
    WebPPicture pic;
    if (picture.isNull() || !WebPConfigInit(&config) || !WebPPictureInit(&pic))
        throw QmError(QStringLiteral("The WebP picture cannot be written."));
    config.lossless = lossless ? 1 : 0;
    config.quality = lossless ? 75.0f : lossy.quality;
    config.method = lossless ? 4 : lossy.method;
    // A lossy picture is imported straight into YUV with libwebp's plain colour
    // conversion: its sharp conversion acts only on ARGB pictures, and costs more
    // time than these pictures may take.
    pic.use_argb = lossless ? 1 : 0;
    pic.width = picture.width();
    pic.height = picture.height();
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    pic.writer = WebPMemoryWrite;
    pic.custom_ptr = &writer;
    bool imported;
    if (alpha.empty()) {
        imported = WebPPictureImportRGB(&pic, picture.data(), picture.width() * 3);
    } else {
        std::vector<std::uint8_t> rgba(alpha.size() * 4);
        const std::uint8_t *p = picture.data();
        for (std::size_t i = 0; i < alpha.size(); ++i, p += 3) {
            std::memcpy(&rgba[4 * i], p, 3);
            rgba[4 * i + 3] = alpha[i];
        }
        imported = WebPPictureImportRGBA(&pic, rgba.data(), picture.width() * 4);
    }
    const bool ok = imported && WebPEncode(&config, &pic);
    QByteArray bytes;
    if (ok)
        bytes = QByteArray(reinterpret_cast<const char *>(writer.mem), qsizetype(writer.size));
    WebPPictureFree(&pic);
    WebPMemoryWriterClear(&writer);
    if (!ok)
        throw QmError(QStringLiteral("The WebP picture cannot be written (error %1).").arg(int(pic.error_code)));
    return bytes;
}
