// GIF pictures through giflib: the first image of a file is read; a generated
// picture is written as one image with a 256-entry palette of its own colours.
#pragma once

#include "publish/Raster.h"

#include <QByteArray>

#include <cstdint>

// The first image on its logical screen. Pixels of the transparent index and the
// screen outside the image take `fill` (0x00BBGGRR).
Bitmap DecodeGif(const QByteArray &bytes, TColor fill, std::int64_t maxPixels = kMaxBitmapPixels);

// One image, a global 256-entry palette from the octree quantiser, every pixel
// mapped to its nearest palette colour without dithering, no transparent colour.
QByteArray EncodeGif(const Bitmap &picture);
