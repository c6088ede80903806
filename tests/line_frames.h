#pragma once

#include <cstdint>
#include <vector>

#include "device/line_rate.h"
#include "sim/frame_encoder.h"

namespace ts {

// Frames of instrument 1 back to back for `seconds` of the line, two time units apart.
inline std::vector<std::uint8_t> LineFrames(double seconds) {
    const auto count = static_cast<std::size_t>(seconds * kLineBytesPerSecond / 14);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count * 14);
    for (std::size_t i = 0; i < count; ++i) {
        const auto v = static_cast<std::uint16_t>(i % 1024);
        const sim::Frame frame =
            sim::EncodeFrame(1, static_cast<std::uint16_t>(2 * i), {v, v, v, v, v, v});
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    return bytes;
}

}  // namespace ts
