#pragma once

#include <array>
#include <cstdint>

#include "base/sample.h"

namespace ts {

// The demonstration step counter runs 1, 2, ..., 31416, 0, 1, ...: a period of
// 31,417 events, so the slow ramp of channel 2 ends on 31416 div 31 = 1013.
constexpr std::uint16_t kDemoCountLast = 31416;
// Instrument time handed out with each synthetic sample.
constexpr std::uint16_t kDemoTimeStep = 256;

constexpr std::uint16_t NextDemoCount(std::uint16_t count) {
    return count >= kDemoCountLast ? 0 : static_cast<std::uint16_t>(count + 1);
}

// The six synthetic raw codes of step `count`: a slow sine, a ramp over the
// whole counter period, a fast cosine, a square wave of 128 steps, a value
// alternating every step, and a medium sine.
std::array<std::uint16_t, kChannels> DemoValues(std::uint16_t count);

}  // namespace ts
