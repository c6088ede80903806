#include "app/station.h"

namespace ts {

// Not built yet: each step below is filled in by its own change.
void Station::TimerDemoTimer() {}
void Station::M_Menu_Mode_NormClick() {}
void Station::M_Menu_Mode_DemoClick() {}

}  // namespace ts
