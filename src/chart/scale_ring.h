#pragma once

#include <array>
#include <cstdint>

#include "base/sample.h"

namespace ts {

constexpr int kRingPoints = 600;

// 600 chart points of one time scale. Slots 0..599 of a channel hold averages,
// slots 600..1199 the instant value of the sample that closed the point.
struct ScaleRing {
    std::uint16_t Position = 0;
    std::array<std::array<std::uint16_t, 2 * kRingPoints>, kChannels> Points{};
};

}  // namespace ts
