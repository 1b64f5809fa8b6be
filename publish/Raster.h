// The raster layer of the picture pass: an 8-bit RGB bitmap with an optional plane
// of coverage, filling, and a resampling stretch copy from a source rectangle into
// a destination rectangle.
#pragma once

#include "model/TextUtils.h"

#include <cstdint>
#include <vector>

// The most pixels any decoded or generated bitmap may have. Every decoder
// checks a picture's size against it before it allocates anything.
inline constexpr std::int64_t kMaxBitmapPixels = 100'000'000;

// Tightly packed rows of R, G, B bytes, top row first.
class Bitmap
{
public:
    Bitmap() = default;
    // Raises QmError when a side is below 1 or the picture exceeds `maxPixels`.
    Bitmap(int width, int height, std::int64_t maxPixels = kMaxBitmapPixels);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isNull() const { return m_width == 0; }
    std::uint8_t *row(int y) { return m_pixels.data() + std::size_t(y) * std::size_t(m_width) * 3; }
    const std::uint8_t *row(int y) const { return m_pixels.data() + std::size_t(y) * std::size_t(m_width) * 3; }
    std::uint8_t *data() { return m_pixels.data(); }
    const std::uint8_t *data() const { return m_pixels.data(); }

    void setPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b);
    // 0x00BBGGRR, as a colour word is kept.
    TColor pixel(int x, int y) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_pixels;
};

// An integer rectangle, right and bottom edges exclusive.
struct PixelRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect &) const = default;
};

// A rectangle in source coordinates, which need not fall on pixel edges.
struct SourceRect
{
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// The coverage of a picture with transparency: one byte a pixel (0 clear, 255
// opaque), rows top first, beside a Bitmap of the same size. Empty: all opaque.
using AlphaPlane = std::vector<std::uint8_t>;

// Fills the rectangle (clipped to the bitmap) with the colour word 0x00BBGGRR.
void FillRect(Bitmap &bitmap, const PixelRect &rect, TColor color);
void Fill(Bitmap &bitmap, TColor color);

// Resamples `from` (the source area) into `to` of `target`, clipped to the target.
// Shrinking uses a Lanczos-3 window widened by the scale (an area-weighted sinc),
// enlarging the plain Lanczos-3 kernel; samples outside the source bitmap are not
// used, the weights of the remaining ones are renormalised.
void StretchCopy(const Bitmap &source, const SourceRect &from, Bitmap &target, const PixelRect &to);

// The picture turned as an Exif orientation (1..8) asks, so that it shows upright.
Bitmap Oriented(Bitmap picture, int orientation);

// As StretchCopy for a picture with coverage: every colour is weighted by its
// coverage (premultiplied), so clear pixels lend no colour to the edges they border;
// `targetAlpha`, of the target's size, takes the drawn coverage.
void StretchCopyAlpha(const Bitmap &source, const AlphaPlane &sourceAlpha, const SourceRect &from, Bitmap &target, AlphaPlane &targetAlpha,
                      const PixelRect &to);

// The coverage of a `width` x `height` picture turned as Oriented turns the picture.
AlphaPlane OrientedAlpha(const AlphaPlane &alpha, int width, int height, int orientation);

// The picture as shown over `fill` (0x00BBGGRR): for an output type without transparency.
void Flatten(Bitmap &picture, const AlphaPlane &alpha, TColor fill);

// The picture shrunk `factor` times along both sides, each pixel the mean of its
// factor x factor block (the last blocks may be smaller): a fast first step before
// StretchCopy for a picture drawn much smaller than it is.
Bitmap BoxShrink(const Bitmap &picture, int factor);
