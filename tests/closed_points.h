#pragma once

#include "app/station.h"

namespace ts {

// Closes `n` points of chart scale `scale` into the station's chart as the measurement does,
// each into the slot after the newest: `point(slot, mean, latest)` gives its mean and instant
// values (zeros unless it sets them). The chart stands still meanwhile and draws none of them.
template <class Point>
void ClosePoints(Station& station, int scale, int n, Point point) {
    CheckState& stop = station.form().CheckBox_ChartStop;
    const bool stopped = stop.Checked;
    stop.Checked = true;
    for (int i = 0; i < n; ++i) {
        const int slot = (station.chart().Live().Ring(scale).Position + 1) % kRingPoints;
        SampleCodes mean{}, latest{};
        point(slot, mean, latest);
        station.chart().ChartPointClosed(scale, mean, latest);
    }
    stop.Checked = stopped;
}

}  // namespace ts
