// JPEG pictures through libjpeg: a reader that looks at the header first and then
// decodes at a reduced DCT scale, and the baseline encoder of the generated pictures.
// Every libjpeg error becomes a QmError carrying the library's message.
#pragma once

#include "publish/codecs/Codec.h"

#include <QByteArray>

#include <cstdint>
#include <memory>

class JpegReader
{
public:
    // Reads the header (and the Exif orientation); raises QmError for a file that
    // is not a readable JPEG. `bytes` must outlive the reader.
    explicit JpegReader(const QByteArray &bytes, std::int64_t maxPixels = kMaxBitmapPixels);
    ~JpegReader();
    JpegReader(const JpegReader &) = delete;
    JpegReader &operator=(const JpegReader &) = delete;

    // The picture as stored, before the orientation is applied.
    int storedWidth() const;
    int storedHeight() const;
    // Exif orientation 1..8 (1 when there is none or it is not readable).
    int orientation() const;
    // The embedded ICC profile (APP2 segments), empty when there is none.
    QByteArray iccProfile() const;
    // The picture as shown: width and height swapped for orientations 5 to 8.
    int shownWidth() const;
    int shownHeight() const;

    // Decodes once, at scale num/8 (1..8): every side ceil(side * num / 8). The result
    // is RGB (greyscale, CMYK and YCCK converted; CMYK through its profile when it has
    // one) and turned upright.
    Bitmap decode(int scaleNum);
    // As above, but only the rows of the result that `needed` (in shown, full-size
    // pixels) reaches, widened by `margin` rows or columns of the result, are
    // decoded; the library skips the others but reads the file to its end. The rest
    // of the result stays black.
    Bitmap decode(int scaleNum, const SourceRect &needed, int margin);

private:
    struct State;
    friend struct JpegCore;
    // Releases the library's memory, also when the constructor raises.
    struct StateDeleter
    {
        void operator()(State *state) const;
    };
    std::unique_ptr<State, StateDeleter> d;
    std::int64_t m_maxPixels;
    int m_orientation = 1;
    QByteArray m_icc;
};

// The smallest of the DCT scales 1, 2 and 4 (of 8) at which a source area of
// `areaWidth` x `areaHeight` pixels still keeps a quarter more pixels than a
// `drawWidth` x `drawHeight` destination along each axis; 8 when none does.
int ChooseJpegScale(double areaWidth, double areaHeight, int drawWidth, int drawHeight);

// The source for the picture pass: only the rows drawn, at the smallest fast DCT
// scale that keeps a quarter more pixels than drawn; upright, the profile kept.
DecodedPicture DecodeJpegSource(const QByteArray &bytes, const DecodeRequest &request);

// The whole picture, decoded at full size and turned upright.
Bitmap DecodeJpeg(const QByteArray &bytes, std::int64_t maxPixels = kMaxBitmapPixels);

// Baseline JPEG, 24-bit colour, not progressive, full-resolution chroma (4:4:4).
QByteArray EncodeJpeg(const Bitmap &picture, int quality = 90);

// The orientation tag (1..8) of an APP1 Exif segment's data ("Exif\0\0" + TIFF);
// 1 when there is none or the segment is malformed.
int ExifOrientation(const std::uint8_t *data, std::size_t size);
// The same of Exif data without the "Exif\0\0" start (as PNG and WebP keep it), or with it.
int TiffOrientation(const std::uint8_t *data, std::size_t size);
