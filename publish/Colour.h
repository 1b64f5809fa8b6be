// Colour profiles: every published picture is in sRGB, the colour space a browser
// assumes of a picture that names none. A source's embedded ICC profile is
// converted away here (with Little CMS) before the picture is resized; an untagged
// source is taken as sRGB and left alone.
#pragma once

#include "publish/Raster.h"

#include <QByteArray>

#include <cstdint>
#include <memory>

// Converts the RGB picture from the colour space of the profile `icc` to sRGB, in
// place. A grey profile reads the first channel. An empty, unreadable or unsuitable
// profile (for example CMYK) leaves the picture as it is.
void ConvertToSrgb(Bitmap &picture, const QByteArray &icc);

// The conversion of CMYK pixels to sRGB through a CMYK profile.
class CmykProfile
{
public:
    // `inverted`: the pixels are stored with 255 as no ink (as Adobe's JPEGs are).
    CmykProfile(const QByteArray &icc, bool inverted);
    ~CmykProfile();
    CmykProfile(const CmykProfile &) = delete;
    CmykProfile &operator=(const CmykProfile &) = delete;

    // False when `icc` is no readable CMYK profile: then the caller converts as untagged.
    bool isValid() const { return m_transform != nullptr; }
    // `count` pixels of 4 bytes into `count` RGB pixels.
    void convert(const std::uint8_t *cmyk, std::uint8_t *rgb, std::uint32_t count) const;

private:
    void *m_transform = nullptr;
};

// An RGB profile with the sRGB tone curve and the given chromaticities (x, y of the
// red, green and blue primaries and the white point), for a source that states its
// colour space by numbers instead of a profile. Empty when they make no profile.
QByteArray ProfileFromPrimaries(const double primaries[8]);
