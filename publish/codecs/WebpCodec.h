// WebP pictures through libwebp: lossy, lossless, with or without transparency; of
// an animation the first frame. Large pictures are decoded at a reduced scale when
// the picture pass draws them much smaller.
#pragma once

#include "publish/codecs/Codec.h"

// How a lossy picture is written: quality 0 to 100, and libwebp's method, 0 (fastest)
// to 6 (smallest file).
struct WebpLossy
{
    float quality;
    int method;
};

// WebP sources are published in their own type at a quality chosen to match the
// look of the JPEG output (quality 90, full-resolution chroma): lossy WebP always
// halves the chroma, and quality 95 comes nearest.
inline constexpr WebpLossy kWebpSource{95.0f, 4};

// The WebP copies published beside the pictures of other types (bench/webp.sh): about
// 26% smaller than the JPEGs of quality 90, with as sharp a brightness (PSNR and SSIM
// of the luma) but softer colour edges, since WebP halves the chroma. libwebp's
// quickest method: the slower ones save a few percent more at up to four times the
// time, and the copies are made at every save of a changed picture.
inline constexpr WebpLossy kWebpCopy{90.0f, 0};

// The picture with its ICCP profile and EXIF orientation (not applied).
DecodedPicture DecodeWebp(const QByteArray &bytes, const DecodeRequest &request = {});

// The picture (and its coverage, empty when opaque) as a WebP file without metadata:
// without loss, or lossy as `lossy` says.
QByteArray EncodeWebp(const Bitmap &picture, const AlphaPlane &alpha, bool lossless, WebpLossy lossy = kWebpSource);
