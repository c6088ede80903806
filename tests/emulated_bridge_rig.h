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
#include "line_frames.h"
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
