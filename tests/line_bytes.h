#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "device/line_rate.h"

namespace ts {

// Arbitrary bytes, as many as the line carries in `seconds`.
inline std::vector<std::uint8_t> LineBytes(double seconds, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(seconds * kLineBytesPerSecond));
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

}  // namespace ts
