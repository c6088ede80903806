#include "app/station.h"

namespace ts {

// Not built yet: each step below is filled in by its own change.
void Station::ButtonChartClearClick() {}
void Station::ChartEN_Click(int) {}
void Station::CheckBox_ChartAverClick() {}
void Station::PanelColorClick(int) {}

}  // namespace ts
