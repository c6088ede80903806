#include "app/station.h"

namespace ts {

// Not built yet: each step below is filled in by its own change.
void Station::ProcessSample(const Sample&) {}
void Station::ResetPipeline() {}

}  // namespace ts
