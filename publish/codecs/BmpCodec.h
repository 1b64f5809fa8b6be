// Windows bitmaps, read and written here: uncompressed 1, 4, 8, 16, 24 and 32 bits
// per pixel (with or without bit-field masks), bottom-up or top-down; written as
// 24-bit uncompressed bottom-up.
#pragma once

#include "publish/Raster.h"

#include <QByteArray>

#include <cstdint>

Bitmap DecodeBmp(const QByteArray &bytes, std::int64_t maxPixels = kMaxBitmapPixels);
QByteArray EncodeBmp(const Bitmap &picture);
