#include "app/station.h"

namespace ts {

// Not built yet: each step below is filled in by its own change.
void Station::PollDevice() {}
void Station::DecodeFrame(const std::uint8_t*) {}

}  // namespace ts
