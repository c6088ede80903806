#pragma once

#include <array>

#include "chart/chart_series.h"

namespace ts {

// Where the chart's points come from: the live rings of the instrument's stream, or a
// recording read back from its file.
class SeriesSource {
public:
    // Fills `series` with the points of chart scale `scale` (1..25), oldest first, for the
    // channels `shown`: the periods' means when `averaged`, else the samples that closed them.
    // Returns the x of the window's left edge; the series lie at consecutive x from there on.
    virtual int FillSeries(int scale, bool averaged, const std::array<bool, kChannels>& shown,
                           ChartSeries& series) const = 0;

protected:
    ~SeriesSource() = default;
};

}  // namespace ts
