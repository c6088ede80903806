#pragma once

#include <cstdint>

namespace ts {

// The instrument's serial line: 1,152,000 baud, ten bit times a byte (start, eight data, stop).
constexpr std::uint32_t kInstrumentBaud = 1152000;
constexpr std::uint32_t kLineBytesPerSecond = kInstrumentBaud / 10;

}  // namespace ts
