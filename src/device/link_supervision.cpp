#include "app/station.h"

namespace ts {

// Not built yet: each step below is filled in by its own change.
void Station::WatchSilence() {}
void Station::TimerPortTimer() {}
void Station::ReenumerateDevice() {}

}  // namespace ts
