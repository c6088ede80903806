#include "app/station.h"

namespace ts {

// Not built yet: each step below is filled in by its own change.
void Station::M_Menu_Setting_PortClick() {}
void Station::M_Menu_Setting_ConnectionClick(int) {}
void Station::SelectDevice(int) {}

}  // namespace ts
