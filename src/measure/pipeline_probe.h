#pragma once

#include <array>
#include <cstdint>

#include "measure/sample.h"

namespace ts {

// Watches the sample pipeline from outside: each call comes right before the
// step it names, so an observer sees the sample that entered and every
// dispatched step in its order. The station holds none unless one is attached.
class PipelineProbe {
public:
    virtual ~PipelineProbe() = default;
    virtual void SampleEntering(const Sample&) {}
    virtual void ChartPeriodEnding(int /*scale*/) {}
    virtual void RecordWriting(std::uint64_t /*elapsed*/,
                               const std::array<double, kChannels>& /*raw*/) {}
    virtual void RecordPeriodEnding(int /*period*/) {}
    virtual void ChangeChecking() {}
};

}  // namespace ts
