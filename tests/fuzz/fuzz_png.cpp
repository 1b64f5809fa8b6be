// Any input either decodes or raises QmError: never a crash, a hang or a leak.
#include "fuzz_decoded.h"

#include "publish/codecs/PngCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzDecoder(data, size, [](const QByteArray &bytes) { return DecodePng(bytes, kFuzzMaxPixels); });
}
