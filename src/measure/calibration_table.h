#pragma once

#include <array>
#include <cstdint>

namespace ts {

constexpr int kMaxTablePoints = 128;

// A channel's calibration: PointCount 0 (no table) or 2..128 points with
// strictly increasing raw values.
struct CalibrationTable {
    std::int32_t PointCount = 0;
    std::array<double, kMaxTablePoints> RawPoints{};
    std::array<double, kMaxTablePoints> ResultPoints{};
};

// Piecewise-linear conversion with the end segments continued; 0.0 without a table.
double CalibrateValue(const CalibrationTable& table, double raw);

}  // namespace ts
