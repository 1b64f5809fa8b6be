// Any input either decodes or raises QmError: never a crash, a hang or a leak.
#include "fuzz_limits.h"

#include "model/Error.h"
#include "publish/Colour.h"
#include "publish/codecs/HeifCodec.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        DecodedPicture picture = DecodeHeif(bytes, kFuzzMaxPixels);
        if (picture.pixels.width() < 1 || picture.pixels.height() < 1 ||
            (!picture.alpha.empty() && picture.alpha.size() != std::size_t(picture.pixels.width()) * std::size_t(picture.pixels.height())))
            __builtin_trap();
        // The profile the file carries goes through the colour step as in a build.
        ConvertToSrgb(picture.pixels, picture.icc);
    } catch (const QmError &) {
    }
    return 0;
}
