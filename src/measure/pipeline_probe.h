#pragma once

#include <array>
#include <cstdint>

#include "base/sample.h"

namespace ts {

// Watches the measurement from outside: each call comes right before the step
// it names, so an observer sees the sample that entered and every step it handed
// on, in their order. The measurement holds none unless one is attached.
class PipelineProbe {
public:
    virtual ~PipelineProbe() = default;
    virtual void SampleEntering(const Sample&) {}
    virtual void ChartPeriodEnding(int /*scale*/) {}
    virtual void RecordPeriodEnding(int /*period*/) {}
    // The sample goes to the recording, which writes it or checks it for a change.
    virtual void SampleHandingOn(std::uint64_t /*elapsed*/) {}
};

}  // namespace ts
