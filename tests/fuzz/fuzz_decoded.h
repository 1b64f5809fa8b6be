// Shared by the fuzz targets of the decoders that hand back a DecodedPicture: the
// picture either decodes to something sound, whose profile then goes through the
// colour step as in a build, or the decoder raises QmError.
#pragma once

#include "fuzz_limits.h"

#include "model/Error.h"
#include "publish/Colour.h"
#include "publish/codecs/Codec.h"

#include <QByteArray>

template <typename Decode> int FuzzDecoder(const std::uint8_t *data, std::size_t size, Decode decode)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        DecodedPicture picture = decode(bytes);
        const std::size_t pixels = std::size_t(picture.pixels.width()) * std::size_t(picture.pixels.height());
        if (pixels == 0 || (!picture.alpha.empty() && picture.alpha.size() != pixels))
            __builtin_trap();
        ConvertToSrgb(picture.pixels, picture.icc);
    } catch (const QmError &) {
    }
    return 0;
}
