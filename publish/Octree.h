// Colour reduction for the GIF pictures: an octree over the picture's own colours,
// reduced to at most 256 leaves, then every pixel mapped to its nearest entry.
#pragma once

#include "publish/Raster.h"

#include <array>
#include <cstdint>
#include <vector>

struct PaletteColor
{
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const PaletteColor &) const = default;
};

struct IndexedPicture
{
    std::vector<PaletteColor> palette; // at most maxColors entries
    std::vector<std::uint8_t> indexes; // one a pixel, rows top first
};

// The palette of at most `maxColors` (1..256) colours for the picture.
std::vector<PaletteColor> OctreePalette(const Bitmap &picture, int maxColors = 256);

// The picture reduced to an octree palette, each pixel its nearest colour (no dithering).
IndexedPicture Quantise(const Bitmap &picture, int maxColors = 256);
