// TIFF pictures through libtiff: the first page, 8 or 16 bits, RGB, grey, palette or
// CMYK, in strips or tiles, with any of libtiff's compressions.
#pragma once

#include "publish/codecs/Codec.h"

// The first page as stored, with its ICC profile and orientation (not applied).
DecodedPicture DecodeTiff(const QByteArray &bytes, std::int64_t maxPixels = kMaxBitmapPixels);
