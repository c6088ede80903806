#pragma once

#include <array>

#include "chart/scale_ring.h"
#include "chart/series_source.h"
#include "measure/measurement_sinks.h"
#include "measure/pipeline_state.h"

namespace ts {

// The last 600 points of each of the 25 chart scales, as the measurement closes them.
class LiveRings final : public SeriesSource {
public:
    // The point `mean` (with `latest`, the sample that closed it) replaces the oldest of `scale`.
    void Add(int scale, const SampleCodes& mean, const SampleCodes& latest);
    // Every point of `scale` back to zero.
    void Clear(int scale);
    void ClearAll();
    const ScaleRing& Ring(int scale) const { return rings_[static_cast<std::size_t>(scale - 1)]; }

    int FillSeries(int scale, bool averaged, const std::array<bool, kChannels>& shown,
                   ChartSeries& series) const override;

private:
    std::array<ScaleRing, kChartScales> rings_{};
};

}  // namespace ts
