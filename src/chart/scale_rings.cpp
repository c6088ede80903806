#include "app/station.h"
#include "measure/number_format.h"

namespace ts {

void Station::EndChartPeriod(int scale) {
    const auto k = static_cast<std::size_t>(scale - 1);
    ScaleRing& ring = rings[k];
    AccumulatorSet& set = pipeline.ChartSets[k];

    // The slot after the newest holds the oldest point, which the new one replaces.
    ring.Position = ring.Position + 1 > kRingPoints - 1 ? 0 : ring.Position + 1;

    if (scale == kReadoutScale) {
        // The readouts show the calibrated half-second mean, unrounded.
        const char separator = platform.Regional().DecimalSeparator;
        char text[kNumberTextCapacity];
        for (int c = 0; c < kChannels; ++c) {
            const double mean = set.Count != 0 ? static_cast<double>(set.Sum[c]) / set.Count : 0.0;
            const std::size_t length = FormatReadout(CalibrateValue(c + 1, mean), separator, text);
            form.Label_ResCH[static_cast<std::size_t>(c)].Caption.assign(text, length);
        }
    }

    // Truncating average; the closed point then enters the next period with the
    // weight of one sample, so a period without samples repeats it exactly.
    std::array<std::uint16_t, kChannels> average{};
    for (std::size_t c = 0; c < kChannels; ++c) {
        average[c] = set.Count != 0 ? static_cast<std::uint16_t>(set.Sum[c] / set.Count) : 0;
        set.Sum[c] = average[c];
    }
    set.Count = 1;

    for (std::size_t c = 0; c < kChannels; ++c) {
        ring.Points[c][ring.Position] = average[c];
        ring.Points[c][kRingPoints + ring.Position] = pipeline.LatestSample[c];
    }

    DrawScale(scale);
}

void Station::ClearScaleRing(int scale) {
    ScaleRing& ring = rings[static_cast<std::size_t>(scale - 1)];
    for (auto& channel : ring.Points) channel.fill(0);
    ring.Position = 0;
}

}  // namespace ts
