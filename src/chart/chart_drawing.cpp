#include "app/station.h"
#include "measure/number_format.h"

namespace ts {

namespace {

// Vertical grid lines sit at multiples of this many points; the window's
// origin moves with the ring so that they travel with the data.
constexpr int kGridPoints = 50;

}  // namespace

void Station::DrawScale(int scale) {
    if (form.RadioGroup_X != scale - 1) return;
    if (form.CheckBox_ChartStop.Checked) return;

    const ScaleRing& ring = rings[static_cast<std::size_t>(scale - 1)];
    const int newest = ring.Position;
    const int origin = newest % kGridPoints;
    ui.SetBottomAxisMinimum(origin);
    ui.SetBottomAxisMaximum(origin + kRingPoints);

    EmptySeries();
    const int half = form.CheckBox_ChartAver.Checked ? 0 : kRingPoints;
    std::array<std::uint16_t, kChannels> codes{};
    for (int i = 0; i < kRingPoints; ++i) {
        // From the oldest point, the one after the newest, to the newest.
        int slot = newest + 1 + i;
        if (slot > kRingPoints - 1) slot -= kRingPoints;
        for (std::size_t c = 0; c < kChannels; ++c) {
            codes[c] = ring.Points[c][static_cast<std::size_t>(slot + half)];
        }
        AddChartPoint(origin + i, codes);
    }
    for (std::size_t c = 0; c < kChannels; ++c) {
        const int count = series.Count[c];
        if (count == 0) continue;
        ui.SetSeriesPoints(
            static_cast<int>(c), series.FirstX[c],
            std::span<const float>(series.Y[c].data(), static_cast<std::size_t>(count)),
            colors.CurveColor[c]);
    }
}

void Station::AddChartPoint(int x, const std::array<std::uint16_t, kChannels>& codes) {
    for (std::size_t c = 0; c < kChannels; ++c) {
        if (!form.ChartEN_CH[c].Checked) continue;
        int& count = series.Count[c];
        if (count == kRingPoints) continue;  // a window never holds more
        if (count == 0) series.FirstX[c] = x;
        series.Y[c][static_cast<std::size_t>(count++)] =
            static_cast<float>(codes[c]) * kPercentPerCode;
    }
}

void Station::RedrawChart() {
    // At most the selected scale draws.
    for (int scale = 1; scale <= kChartScales; ++scale) DrawScale(scale);
}

void Station::EmptySeries() {
    for (int c = 0; c < kChannels; ++c) {
        series.Count[static_cast<std::size_t>(c)] = 0;
        ui.EmptySeries(c);
    }
}

void Station::ResetMeasurement() {
    for (int scale = 1; scale <= kChartScales; ++scale) ClearScaleRing(scale);
    ResetPipeline();
    const std::string zero = FormatReadout(0.0, platform.Regional().DecimalSeparator);
    for (LabelState& readout : form.Label_ResCH) readout.Caption = zero;
    // Empty, not flat at zero, until the next redraw.
    EmptySeries();
}

void Station::RadioGroup_XClick() { RedrawChart(); }

}  // namespace ts
