// PNG pictures through libpng: every colour type and bit depth is read as 8-bit RGB
// with its coverage; a generated picture is written as 8-bit RGB, or RGBA when it
// has transparency, with no text, time, Exif or profile chunk.
#pragma once

#include "publish/codecs/Codec.h"

// The picture with its iCCP profile and eXIf orientation (not applied).
DecodedPicture DecodePng(const QByteArray &bytes, std::int64_t maxPixels = kMaxBitmapPixels);
QByteArray EncodePng(const Bitmap &picture, const AlphaPlane &alpha);
