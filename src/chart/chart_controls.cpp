#include "chart/live_chart.h"

namespace ts {

int LiveChart::ClearSelected() {
    const int item = form_.RadioGroup_X;
    if (item < 0 || item >= kChartScales) return 0;
    const int scale = item + 1;
    live_.Clear(scale);
    DrawScale(scale);
    return scale;
}

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

bool LiveChart::ChooseColor(int swatch) {
    Color* setting = SwatchSetting(colors_, swatch);
    if (setting == nullptr) return false;
    // All eight swatches share one dialog, which opens on the colour last
    // confirmed in it rather than on the swatch's own colour.
    const std::optional<Color> chosen = ui_.ChooseColor(colors_.LastDialogColor);
    if (!chosen) return false;
    const Color color = *chosen & 0xFFFFFFu;  // the top byte of a stored colour is always 0
    colors_.LastDialogColor = color;
    *setting = color;
    return true;
}

void LiveChart::ShowColors() {
    form_.ChartBackground = colors_.BackgroundColor;
    form_.ChartGrid = colors_.GridColor;
    form_.PanelColor_CurveCH = colors_.CurveColor;
    form_.PanelColor_ChartBackGround = colors_.BackgroundColor;
    form_.PanelColor_ChartGrid = colors_.GridColor;
}

}  // namespace ts
