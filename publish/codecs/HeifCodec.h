// HEIC/HEIF and AVIF pictures through libheif (HEVC and AV1 inside the same
// container): the primary image, with its rotation and mirroring applied.
#pragma once

#include "publish/codecs/Codec.h"

// The primary image, upright, with its ICC profile, or one made from the colour
// primaries it states in numbers.
DecodedPicture DecodeHeif(const QByteArray &bytes, std::int64_t maxPixels = kMaxBitmapPixels);
