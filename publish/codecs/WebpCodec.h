// WebP pictures through libwebp: lossy, lossless, with or without transparency; of
// an animation the first frame. Large pictures are decoded at a reduced scale when
// the picture pass draws them much smaller.
#pragma once

#include "publish/codecs/Codec.h"

// The quality of lossy output, chosen to match the look of the JPEG output.
inline constexpr float kWebpQuality = 90.0f;

// The picture with its ICCP profile and EXIF orientation (not applied).
DecodedPicture DecodeWebp(const QByteArray &bytes, const DecodeRequest &request = {});

// The picture (and its coverage, empty when opaque) as a WebP file without metadata:
// without loss, or lossy at `quality` (0 to 100).
QByteArray EncodeWebp(const Bitmap &picture, const AlphaPlane &alpha, bool lossless, float quality = kWebpQuality);
