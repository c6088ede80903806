#include "chart/live_rings.h"

namespace ts {

void LiveRings::Add(int scale, const SampleCodes& mean, const SampleCodes& latest) {
    ScaleRing& ring = rings_[static_cast<std::size_t>(scale - 1)];
    // The slot after the newest holds the oldest point, which the new one replaces.
    ring.Position = ring.Position + 1 > kRingPoints - 1 ? 0 : ring.Position + 1;
    for (std::size_t c = 0; c < kChannels; ++c) {
        ring.Points[c][ring.Position] = mean[c];
        ring.Points[c][kRingPoints + ring.Position] = latest[c];
    }
}

void LiveRings::Clear(int scale) {
    ScaleRing& ring = rings_[static_cast<std::size_t>(scale - 1)];
    for (auto& channel : ring.Points) channel.fill(0);
    ring.Position = 0;
}

void LiveRings::ClearAll() {
    for (int scale = 1; scale <= kChartScales; ++scale) Clear(scale);
}

namespace {

// Vertical grid lines sit at multiples of this many points; the window's
// origin moves with the ring so that they travel with the data.
constexpr int kGridPoints = 50;

}  // namespace

int LiveRings::FillSeries(int scale, bool averaged, const std::array<bool, kChannels>& shown,
                          ChartSeries& series) const {
    const ScaleRing& ring = Ring(scale);
    const int newest = ring.Position;
    const int origin = newest % kGridPoints;
    const int half = averaged ? 0 : kRingPoints;
    for (std::size_t c = 0; c < kChannels; ++c) {
        series.Count[c] = 0;
        if (!shown[c]) continue;
        series.FirstX[c] = origin;
        // From the oldest point, the one after the newest, to the end of the ring, then from
        // its start to the newest: two plain runs the compiler does many points at a time.
        const std::uint16_t* const points = ring.Points[c].data() + half;
        float* const y = series.Y[c].data();
        const int older = kRingPoints - 1 - newest;
        for (int i = 0; i < older; ++i)
            y[i] = static_cast<float>(points[newest + 1 + i]) * kPercentPerCode;
        for (int i = 0; i <= newest; ++i)
            y[older + i] = static_cast<float>(points[i]) * kPercentPerCode;
        series.Count[c] = kRingPoints;
    }
    return origin;
}

}  // namespace ts
