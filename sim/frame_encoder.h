#pragma once

#include <array>
#include <cstdint>

#include "base/sample.h"

namespace ts::sim {

using Frame = std::array<std::uint8_t, 14>;

// Builds the instrument's 14-byte frame: the inverse of the station's decoder.
// `instrument` is 0..31, values are 10-bit codes (higher bits are dropped).
Frame EncodeFrame(int instrument, std::uint16_t timeCounter,
                  const std::array<std::uint16_t, kChannels>& values);

}  // namespace ts::sim
