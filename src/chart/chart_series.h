#pragma once

#include <array>

#include "base/sample.h"
#include "chart/scale_ring.h"

namespace ts {

// Percent of full scale per raw code: 100/1023 to seven digits, in single precision.
constexpr float kPercentPerCode = 0.09775171f;

// The six series of one redraw, filled point by point and handed to the chart
// one whole series per call. Fixed storage: a redraw never allocates. The
// points of a series lie at consecutive x from FirstX on.
struct ChartSeries {
    std::array<double, kChannels> FirstX{};
    std::array<int, kChannels> Count{};
    std::array<std::array<float, kRingPoints>, kChannels> Y{};
};

}  // namespace ts
