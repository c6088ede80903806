#pragma once

#include <array>
#include <cstdint>

namespace ts {

constexpr int kChannels = 6;

// One reading of all six channels as the instrument (or the demonstration
// generator) produced it. Values are raw codes, 0..1023 from the instrument.
struct Sample {
    std::uint16_t TimeCounter = 0;
    std::array<std::uint16_t, kChannels> Value{};  // Value[0] is channel 1
};

}  // namespace ts
