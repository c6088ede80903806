#include "chart/live_chart.h"

namespace ts {

LiveChart::LiveChart(Ui& ui, ChartFields& form) : ui_(ui), form_(form) {}

void LiveChart::ChartPointClosed(int scale, const SampleCodes& mean, const SampleCodes& latest) {
    live_.Add(scale, mean, latest);
    DrawScale(scale);
}

void LiveChart::DrawScale(int scale) {
    if (form_.RadioGroup_X != scale - 1) return;
    if (form_.CheckBox_ChartStop.Checked) return;

    std::array<bool, kChannels> shown{};
    for (std::size_t c = 0; c < kChannels; ++c) shown[c] = form_.ChartEN_CH[c].Checked;
    const int origin = source_->FillSeries(scale, form_.CheckBox_ChartAver.Checked, shown, series_);
    ui_.SetBottomAxisMinimum(origin);
    ui_.SetBottomAxisMaximum(origin + kRingPoints);
    for (int c = 0; c < kChannels; ++c) ui_.EmptySeries(c);
    for (std::size_t c = 0; c < kChannels; ++c) {
        const int count = series_.Count[c];
        if (count == 0) continue;
        ui_.SetSeriesPoints(
            static_cast<int>(c), series_.FirstX[c],
            std::span<const float>(series_.Y[c].data(), static_cast<std::size_t>(count)),
            colors_.CurveColor[c]);
    }
}

void LiveChart::Redraw() {
    // At most the selected scale draws.
    for (int scale = 1; scale <= kChartScales; ++scale) DrawScale(scale);
}

void LiveChart::EmptySeries() {
    for (int c = 0; c < kChannels; ++c) {
        series_.Count[static_cast<std::size_t>(c)] = 0;
        ui_.EmptySeries(c);
    }
}

}  // namespace ts
