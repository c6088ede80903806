#pragma once

#include "base/form.h"
#include "base/ui_port.h"
#include "chart/chart_series.h"
#include "chart/chart_settings.h"
#include "chart/live_rings.h"
#include "measure/measurement_sinks.h"

namespace ts {

// The six-channel strip chart: the live rings of the 25 scales, the series of a redraw, the
// colours. It draws the selected scale from its series source, the live rings, into the
// window's chart through the Ui port.
class LiveChart final : public ChartPointSink {
public:
    LiveChart(Ui& ui, ChartFields& form);
    LiveChart(const LiveChart&) = delete;
    LiveChart& operator=(const LiveChart&) = delete;

    void ChartPointClosed(int scale, const SampleCodes& mean, const SampleCodes& latest) override;

    // Draws `scale` (1..25) when it is the one selected and the chart is not stopped.
    void DrawScale(int scale);
    void Redraw();
    // Every series empty, not flat at zero, until the next redraw.
    void EmptySeries();
    // Every scale's points back to zero.
    void ClearAll() { live_.ClearAll(); }
    // Clears the selected scale and draws it; returns it (1..25), or 0 when none is selected.
    int ClearSelected();
    // Asks for the colour of a swatch (1..6 curves, 7 background, 8 grid); true when it changed.
    bool ChooseColor(int swatch);
    // The colours into the chart and the swatches.
    void ShowColors();

    const ChartColors& Colors() const { return colors_; }
    void SetColors(const ChartColors& colors) { colors_ = colors; }
    const LiveRings& Live() const { return live_; }

private:
    Ui& ui_;
    ChartFields& form_;
    LiveRings live_;
    const SeriesSource* source_ = &live_;
    ChartSeries series_;
    ChartColors colors_;
};

}  // namespace ts
