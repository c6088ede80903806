#include "app/station.h"

namespace ts {

void Station::ButtonChartClearClick() {
    const int item = form.RadioGroup_X;
    if (item < 0 || item >= kChartScales) return;
    const int scale = item + 1;
    ClearScaleRing(scale);
    DrawScale(scale);
    // One unit back, so the next point of this scale comes once a whole period
    // has passed since the click. Sums and count stay: the samples gathered
    // before the click still go into that point.
    pipeline.ChartSets[static_cast<std::size_t>(item)].PeriodStart = pipeline.ElapsedCount - 1;
}

void Station::ChartEN_Click(int) { RedrawChart(); }

void Station::CheckBox_ChartAverClick() { RedrawChart(); }

namespace {

// The colour setting a swatch owns: 1..6 curves, 7 background, 8 grid.
Color* SwatchSetting(ChartColors& colors, int swatch) {
    if (swatch >= 1 && swatch <= kChannels) {
        return &colors.CurveColor[static_cast<std::size_t>(swatch - 1)];
    }
    if (swatch == kChannels + 1) return &colors.BackgroundColor;
    if (swatch == kChannels + 2) return &colors.GridColor;
    return nullptr;
}

}  // namespace

void Station::PanelColorClick(int swatch) {
    Color* setting = SwatchSetting(colors, swatch);
    if (setting == nullptr) return;
    // All eight swatches share one dialog, which opens on the colour last
    // confirmed in it rather than on the swatch's own colour.
    const std::optional<Color> chosen = ui.ChooseColor(colors.LastDialogColor);
    if (!chosen) return;
    const Color color = *chosen & 0xFFFFFFu;  // the top byte of a stored colour is always 0
    colors.LastDialogColor = color;
    *setting = color;
    RedrawChart();
    RefreshStatus();
    SaveSettings();
}

}  // namespace ts
