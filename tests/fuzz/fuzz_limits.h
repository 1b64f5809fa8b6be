// Shared by the decoder fuzz targets: a lower picture-size limit than the
// program's, so that the fuzzer spends its time on the parsers, not on huge but
// legal pictures.
#pragma once

#include <cstdint>

inline constexpr std::int64_t kFuzzMaxPixels = 4'000'000;
