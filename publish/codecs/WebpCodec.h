// WebP pictures through libwebp: lossy, lossless, with or without transparency; of
// an animation the first frame. Large pictures are decoded at a reduced scale when
// the picture pass draws them much smaller.
#pragma once

#include "publish/codecs/Codec.h"

// The quality of lossy output, chosen to match the look of the JPEG output (quality
// 90, full-resolution chroma): lossy WebP always halves the chroma, and quality 95
// with libwebp's sharp colour conversion comes nearest, 38.3 dB against the JPEG's
// 39.5 dB at about the JPEG's size (quality 90 gives 36.7 dB at two thirds).
inline constexpr float kWebpQuality = 95.0f;

// The picture with its ICCP profile and EXIF orientation (not applied).
DecodedPicture DecodeWebp(const QByteArray &bytes, const DecodeRequest &request = {});

// The picture (and its coverage, empty when opaque) as a WebP file without metadata:
// without loss, or lossy at `quality` (0 to 100) with the sharp colour conversion.
QByteArray EncodeWebp(const Bitmap &picture, const AlphaPlane &alpha, bool lossless, float quality = kWebpQuality);
