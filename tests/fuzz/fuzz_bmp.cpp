// Any input either decodes or raises QmError: never a crash, a hang or a leak.
#include "fuzz_limits.h"

#include "model/Error.h"
#include "publish/codecs/BmpCodec.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const Bitmap picture = DecodeBmp(bytes, kFuzzMaxPixels);
        if (picture.width() < 1 || picture.height() < 1)
            __builtin_trap();
    } catch (const QmError &) {
    }
    return 0;
}
