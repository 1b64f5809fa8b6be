#include "publish/Raster.h"

#include "model/Error.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>

Bitmap::Bitmap(int width, int height, std::int64_t maxPixels)
{
    if (width < 1 || height < 1)
        throw QmError(QStringLiteral("A picture of %1 x %2 pixels cannot be made.").arg(width).arg(height));
    if (std::int64_t(width) * height > maxPixels)
        throw QmError(QStringLiteral("The picture is too large (%1 x %2 pixels); at most %3 megapixels can be processed.")
                          .arg(width)
                          .arg(height)
                          .arg(maxPixels / 1'000'000));
    m_width = width;
    m_height = height;
    m_pixels.assign(std::size_t(width) * std::size_t(height) * 3, 0);
}

void Bitmap::setPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    std::uint8_t *p = row(y) + std::size_t(x) * 3;
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

TColor Bitmap::pixel(int x, int y) const
{
    const std::uint8_t *p = row(y) + std::size_t(x) * 3;
    return TColor(p[0]) | (TColor(p[1]) << 8) | (TColor(p[2]) << 16);
}

void FillRect(Bitmap &bitmap, const PixelRect &rect, TColor color)
{
    const int left = std::max(rect.left, 0), right = std::min(rect.right, bitmap.width());
    const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, bitmap.height());
    const std::uint8_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    for (int y = top; y < bottom; ++y) {
        std::uint8_t *p = bitmap.row(y) + std::size_t(left) * 3;
        for (int x = left; x < right; ++x, p += 3) {
            p[0] = r;
            p[1] = g;
            p[2] = b;
        }
    }
}

void Fill(Bitmap &bitmap, TColor color)
{
    FillRect(bitmap, {0, 0, bitmap.width(), bitmap.height()}, color);
}

namespace {

constexpr double kLobes = 3.0;

double Sinc(double x)
{
    if (x == 0.0)
        return 1.0;
    const double px = std::numbers::pi * x;
    return std::sin(px) / px;
}

double Lanczos3(double x)
{
    if (x <= -kLobes || x >= kLobes)
        return 0.0;
    return Sinc(x) * Sinc(x / kLobes);
}

// For each output position, the first source sample and its normalised weights.
struct Taps
{
    std::vector<int> first;
    std::vector<int> count;
    std::vector<float> weights; // `stride` per output position
    int stride = 0;
};

// Output positions [outBegin, outEnd) of an axis whose `outSize` positions cover
// source [from, to); source samples exist at 0..inSize-1.
Taps MakeTaps(double from, double to, int outSize, int outBegin, int outEnd, int inSize)
{
    Taps taps;
    const int n = std::max(outEnd - outBegin, 0);
    const double scale = (to - from) / outSize;
    const double filterScale = std::max(std::abs(scale), 1.0);
    const double support = kLobes * filterScale;
    taps.stride = int(std::ceil(support)) * 2 + 2;
    taps.first.resize(std::size_t(n));
    taps.count.resize(std::size_t(n));
    taps.weights.assign(std::size_t(n) * std::size_t(taps.stride), 0.0f);
    std::vector<double> w(std::size_t(taps.stride));
    for (int i = 0; i < n; ++i) {
        const double center = from + (outBegin + i + 0.5) * scale;
        int lo = int(std::floor(center - support + 0.5));
        int hi = int(std::floor(center + support + 0.5));
        lo = std::clamp(lo, 0, inSize - 1);
        hi = std::clamp(hi, lo + 1, inSize);
        hi = std::min(hi, lo + taps.stride);
        double total = 0;
        for (int j = lo; j < hi; ++j) {
            w[std::size_t(j - lo)] = Lanczos3((j + 0.5 - center) / filterScale);
            total += w[std::size_t(j - lo)];
        }
        if (std::abs(total) < 1e-9) {
            // Only possible for a point far outside the source: take the nearest sample.
            lo = std::clamp(int(std::floor(center)), 0, inSize - 1);
            hi = lo + 1;
            w[0] = total = 1.0;
        }
        taps.first[std::size_t(i)] = lo;
        taps.count[std::size_t(i)] = hi - lo;
        float *out = &taps.weights[std::size_t(i) * std::size_t(taps.stride)];
        for (int j = 0; j < hi - lo; ++j)
            out[j] = float(w[std::size_t(j)] / total);
    }
    return taps;
}

std::uint8_t ToByte(float v)
{
    // The sinc lobes overshoot; clamp before rounding.
    return std::uint8_t(std::clamp(v + 0.5f, 0.0f, 255.0f));
}

// Where a stretch writes (the target's columns x0..x1 and rows y0..y1, clipped to it),
// the taps of both passes and the source columns the horizontal ones reach.
struct StretchPlan
{
    int x0, x1, y0, y1;
    Taps hx, vy;
    int colLo, colHi;
};

std::optional<StretchPlan> PlanStretch(const Bitmap &source, const SourceRect &from, const Bitmap &target, const PixelRect &to)
{
    if (source.isNull() || target.isNull() || to.width() <= 0 || to.height() <= 0)
        return std::nullopt;
    const int x0 = std::max(to.left, 0), x1 = std::min(to.right, target.width());
    const int y0 = std::max(to.top, 0), y1 = std::min(to.bottom, target.height());
    if (x0 >= x1 || y0 >= y1)
        return std::nullopt;
    StretchPlan plan{x0, x1, y0, y1, MakeTaps(from.left, from.right, to.width(), x0 - to.left, x1 - to.left, source.width()),
                     MakeTaps(from.top, from.bottom, to.height(), y0 - to.top, y1 - to.top, source.height()), source.width(), 0};
    for (std::size_t i = 0; i < plan.hx.first.size(); ++i) {
        plan.colLo = std::min(plan.colLo, plan.hx.first[i]);
        plan.colHi = std::max(plan.colHi, plan.hx.first[i] + plan.hx.count[i]);
    }
    return plan;
}

} // namespace

void StretchCopy(const Bitmap &source, const SourceRect &from, Bitmap &target, const PixelRect &to)
{
    const std::optional<StretchPlan> plan = PlanStretch(source, from, target, to);
    if (!plan)
        return;
    const auto &[x0, x1, y0, y1, hx, vy, colLo, colHi] = *plan;
    const int outW = x1 - x0;

    const std::size_t span = std::size_t(colHi - colLo) * 3;

    // Row by row: the vertical taps first, over the contiguous bytes of whole
    // source rows, then the horizontal taps over that one filtered row.
    std::vector<float> column(span);
    for (int y = 0; y < y1 - y0; ++y) {
        std::fill(column.begin(), column.end(), 0.0f);
        const float *w = &vy.weights[std::size_t(y) * std::size_t(vy.stride)];
        for (int k = 0, n = vy.count[std::size_t(y)]; k < n; ++k) {
            const std::uint8_t *in = source.row(vy.first[std::size_t(y)] + k) + std::size_t(colLo) * 3;
            const float wk = w[k];
            float *acc = column.data();
            for (std::size_t i = 0; i < span; ++i)
                acc[i] += wk * float(in[i]);
        }
        std::uint8_t *out = target.row(y0 + y) + std::size_t(x0) * 3;
        for (int x = 0; x < outW; ++x, out += 3) {
            const float *wx = &hx.weights[std::size_t(x) * std::size_t(hx.stride)];
            const float *p = column.data() + std::size_t(hx.first[std::size_t(x)] - colLo) * 3;
            float r = 0, g = 0, b = 0;
            for (int k = 0, n = hx.count[std::size_t(x)]; k < n; ++k, p += 3) {
                r += wx[k] * p[0];
                g += wx[k] * p[1];
                b += wx[k] * p[2];
            }
            out[0] = ToByte(r);
            out[1] = ToByte(g);
            out[2] = ToByte(b);
        }
    }
}

void StretchCopyAlpha(const Bitmap &source, const AlphaPlane &sourceAlpha, const SourceRect &from, Bitmap &target, AlphaPlane &targetAlpha,
                      const PixelRect &to)
{
    const std::optional<StretchPlan> plan = PlanStretch(source, from, target, to);
    if (!plan)
        return;
    const auto &[x0, x1, y0, y1, hx, vy, colLo, colHi] = *plan;
    // Premultiplied R, G, B and the coverage, per source column of the span.
    std::vector<float> column(std::size_t(colHi - colLo) * 4);
    for (int y = 0; y < y1 - y0; ++y) {
        std::fill(column.begin(), column.end(), 0.0f);
        const float *w = &vy.weights[std::size_t(y) * std::size_t(vy.stride)];
        for (int k = 0, n = vy.count[std::size_t(y)]; k < n; ++k) {
            const int sy = vy.first[std::size_t(y)] + k;
            const std::uint8_t *in = source.row(sy) + std::size_t(colLo) * 3;
            const std::uint8_t *a = sourceAlpha.data() + std::size_t(sy) * std::size_t(source.width()) + std::size_t(colLo);
            float *acc = column.data();
            for (int x = colLo; x < colHi; ++x, in += 3, ++a, acc += 4) {
                const float wa = w[k] * float(*a) * (1.0f / 255.0f);
                acc[0] += wa * float(in[0]);
                acc[1] += wa * float(in[1]);
                acc[2] += wa * float(in[2]);
                acc[3] += wa;
            }
        }
        std::uint8_t *out = target.row(y0 + y) + std::size_t(x0) * 3;
        std::uint8_t *outA = targetAlpha.data() + std::size_t(y0 + y) * std::size_t(target.width()) + std::size_t(x0);
        for (int x = 0; x < x1 - x0; ++x, out += 3, ++outA) {
            const float *wx = &hx.weights[std::size_t(x) * std::size_t(hx.stride)];
            const float *p = column.data() + std::size_t(hx.first[std::size_t(x)] - colLo) * 4;
            float r = 0, g = 0, b = 0, a = 0;
            for (int k = 0, n = hx.count[std::size_t(x)]; k < n; ++k, p += 4) {
                r += wx[k] * p[0];
                g += wx[k] * p[1];
                b += wx[k] * p[2];
                a += wx[k] * p[3];
            }
            // Colour where nothing covers the pixel is of no account: black.
            const float unpremultiply = a > 1.0f / 1024 ? 1.0f / a : 0.0f;
            out[0] = ToByte(r * unpremultiply);
            out[1] = ToByte(g * unpremultiply);
            out[2] = ToByte(b * unpremultiply);
            *outA = ToByte(a * 255.0f);
        }
    }
}

namespace {

// Turns `n`-byte pixels of a w x h picture into `out` as Exif orientation 2..8 asks.
void Turn(const std::uint8_t *in, int w, int h, std::size_t n, int orientation, std::uint8_t *out)
{
    const bool swap = orientation >= 5;
    const int ow = swap ? h : w, oh = swap ? w : h;
    for (int y = 0; y < oh; ++y) {
        std::uint8_t *o = out + std::size_t(y) * std::size_t(ow) * n;
        for (int x = 0; x < ow; ++x, o += n) {
            int sx = x, sy = y;
            switch (orientation) {
            case 2:
                sx = w - 1 - x;
                break;
            case 3:
                sx = w - 1 - x;
                sy = h - 1 - y;
                break;
            case 4:
                sy = h - 1 - y;
                break;
            case 5:
                sx = y;
                sy = x;
                break;
            case 6:
                sx = y;
                sy = h - 1 - x;
                break;
            case 7:
                sx = w - 1 - y;
                sy = h - 1 - x;
                break;
            case 8:
                sx = w - 1 - y;
                sy = x;
                break;
            default:
                break;
            }
            std::memcpy(o, in + (std::size_t(sy) * std::size_t(w) + std::size_t(sx)) * n, n);
        }
    }
}

} // namespace

Bitmap Oriented(Bitmap picture, int orientation)
{
    if (orientation < 2 || orientation > 8 || picture.isNull())
        return picture;
    const int w = picture.width(), h = picture.height();
    const bool swap = orientation >= 5;
    Bitmap out(swap ? h : w, swap ? w : h, std::int64_t(w) * h);
    Turn(picture.data(), w, h, 3, orientation, out.data());
    return out;
}

AlphaPlane OrientedAlpha(const AlphaPlane &alpha, int width, int height, int orientation)
{
    if (orientation < 2 || orientation > 8 || alpha.empty())
        return alpha;
    AlphaPlane out(alpha.size());
    Turn(alpha.data(), width, height, 1, orientation, out.data());
    return out;
}

void Flatten(Bitmap &picture, const AlphaPlane &alpha, TColor fill)
{
    if (alpha.empty())
        return;
    const unsigned f[3] = {fill & 0xFF, (fill >> 8) & 0xFF, (fill >> 16) & 0xFF};
    std::uint8_t *p = picture.data();
    for (std::size_t i = 0; i < alpha.size(); ++i, p += 3) {
        const unsigned a = alpha[i];
        for (int c = 0; c < 3; ++c)
            p[c] = std::uint8_t((p[c] * a + f[c] * (255 - a) + 127) / 255);
    }
}

Bitmap BoxShrink(const Bitmap &picture, int factor)
{
    if (factor < 2 || picture.isNull())
        return picture;
    const int w = picture.width(), h = picture.height();
    Bitmap out((w + factor - 1) / factor, (h + factor - 1) / factor, std::int64_t(w) * h);
    std::vector<std::uint32_t> sums(std::size_t(w) * 3);
    for (int oy = 0; oy < out.height(); ++oy) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int y0 = oy * factor, y1 = std::min(y0 + factor, h);
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t *in = picture.row(y);
            for (std::size_t i = 0; i < sums.size(); ++i)
                sums[i] += in[i];
        }
        std::uint8_t *o = out.row(oy);
        for (int ox = 0; ox < out.width(); ++ox, o += 3) {
            const int x0 = ox * factor, x1 = std::min(x0 + factor, w);
            const std::uint32_t count = std::uint32_t((x1 - x0) * (y1 - y0));
            for (int c = 0; c < 3; ++c) {
                std::uint32_t sum = 0;
                for (int x = x0; x < x1; ++x)
                    sum += sums[std::size_t(x) * 3 + std::size_t(c)];
                o[c] = std::uint8_t((sum + count / 2) / count);
            }
        }
    }
    return out;
}
