#pragma once

#include <array>
#include <cstdint>

#include "base/sample.h"

namespace ts::review {

// Records of one part in time order: their first and last times, where the first one's line
// lies, and per channel the count, minimum, maximum and sum of their values.
struct IndexBlock {
    std::int64_t firstNs = 0, lastNs = 0;
    std::uint64_t offset = 0;  // of the first record's line in its part
    std::uint32_t part = 0;
    std::uint32_t records = 0;
    std::uint32_t children = 0;  // blocks of the level below (records on the finest)
    std::array<std::uint32_t, kChannels> count{};
    std::array<double, kChannels> min{}, max{}, sum{};
};

}  // namespace ts::review
