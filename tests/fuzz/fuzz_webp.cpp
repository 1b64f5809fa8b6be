// Any input either decodes or raises QmError: never a crash, a hang or a leak.
#include "fuzz_decoded.h"

#include "publish/codecs/WebpCodec.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Drawn a fifth of its size, so that the scaled decoding is taken too.
    DecodeRequest request;
    request.maxPixels = kFuzzMaxPixels;
    request.drawn = [](int w, int h) { return DrawnArea{{0, 0, double(w), double(h)}, std::max(w / 5, 1), std::max(h / 5, 1)}; };
    return FuzzDecoder(data, size, [&request](const QByteArray &bytes) { return DecodeWebp(bytes, request); });
}
