// What every picture codec hands over: a decoder returns the source's pixels with
// what it takes to show them right (coverage, colour profile, orientation); an
// encoder takes a drawn item picture.
#pragma once

#include "publish/Raster.h"

#include <QByteArray>

#include <cstdint>
#include <functional>

// A source picture as decoded, before its colours and orientation are made right.
struct DecodedPicture
{
    Bitmap pixels;       // RGB
    AlphaPlane alpha;    // empty when the source has no transparency
    QByteArray icc;      // the embedded colour profile; empty: sRGB
    int orientation = 1; // Exif orientation (1..8) still to apply to `pixels`
    double scale = 1;    // pixels per source pixel: below 1 when decoded at a reduced scale
    int shownWidth = 0;  // the whole source at full scale, upright
    int shownHeight = 0;
    bool lossless = false; // the source is compressed without loss
};

// Where the picture pass draws a source: the area (in upright, full-scale source
// pixels) and the size it is drawn at.
struct DrawnArea
{
    SourceRect area;
    int width = 0;
    int height = 0;
};

// What a decoder is asked for. A decoder that can decode less than the whole
// picture (a reduced scale, fewer rows) asks `drawn` what is needed.
struct DecodeRequest
{
    TColor fill = 0; // shows through transparency that a decoder itself flattens (GIF)
    std::int64_t maxPixels = kMaxBitmapPixels;
    // Given the upright full size; unset: the whole picture at full scale.
    std::function<DrawnArea(int shownWidth, int shownHeight)> drawn;
};

// A drawn item picture, ready for an encoder.
struct DrawnPicture
{
    Bitmap pixels;
    AlphaPlane alpha;      // empty when opaque
    bool lossless = false; // drawn from a source compressed without loss
    int shownWidth = 0;    // the source's whole upright size
    int shownHeight = 0;
};
