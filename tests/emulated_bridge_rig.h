#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "device/line_rate.h"
#include "emulated_bridge/emulated_ft232r.h"
#include "line_bytes.h"
#include "sim/frame_encoder.h"

namespace ts {

// Emulated bridges for one test: whatever an earlier test in the process plugged in is gone.
struct EmulatedBridges {
    EmulatedBridges() { emulated::RemoveAllBridges(); }
    ~EmulatedBridges() { emulated::RemoveAllBridges(); }
    EmulatedBridges(const EmulatedBridges&) = delete;
    EmulatedBridges& operator=(const EmulatedBridges&) = delete;

    int Plug(const std::string& description, const std::string& serial,
             std::vector<std::uint8_t> stream = {},
             std::int64_t bytesPerSecond = kLineBytesPerSecond) {
        return emulated::AddBridge(description, serial, std::move(stream), bytesPerSecond);
    }
};

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

// Runs `step` every `period` of real time until `done` holds or `limit` has passed.
inline bool RunInRealTime(std::chrono::milliseconds limit, std::chrono::milliseconds period,
                          const std::function<void()>& step, const std::function<bool()>& done) {
    const auto start = std::chrono::steady_clock::now();
    for (auto next = start; std::chrono::steady_clock::now() - start < limit;) {
        step();
        if (done()) return true;
        next += period;
        std::this_thread::sleep_until(next);
    }
    return false;
}

}  // namespace ts
