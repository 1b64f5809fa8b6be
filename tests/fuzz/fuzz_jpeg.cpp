// Any input either decodes or raises QmError: never a crash, a hang or a leak.
#include "fuzz_limits.h"

#include "model/Error.h"
#include "publish/codecs/JpegCodec.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        JpegReader reader(bytes, kFuzzMaxPixels);
        // The scale from the input itself, so every reduced IDCT gets its turn.
        const int scale = size ? int(data[size - 1] % 8) + 1 : 8;
        // Half the inputs decode only a band of rows, as a crop does.
        const int band = size > 1 ? data[size - 2] : 0;
        const double w = reader.shownWidth(), h = reader.shownHeight();
        const Bitmap picture =
            band & 1 ? reader.decode(scale, {0, h * (band >> 4) / 16, w, h * (band >> 1 & 7) / 8}, 3) : reader.decode(scale);
        if (picture.width() < 1 || picture.height() < 1)
            __builtin_trap();
    } catch (const QmError &) {
    }
    return 0;
}
