#include "app/station.h"

namespace ts {

// Not built yet: each step below is filled in by its own change.
void Station::DrawScale(int) {}
void Station::RedrawChart() {}
void Station::EmptySeries() {}
void Station::ResetMeasurement() {}
void Station::RadioGroup_XClick() {}

}  // namespace ts
