#pragma once

#include "base/sample.h"

namespace ts {

// Where decoded samples go: the link and the demonstration hand theirs to the measurement
// through this, set up by the wiring, so that neither knows who measures.
class SampleSink {
public:
    virtual void TakeSample(const Sample& sample) = 0;

protected:
    ~SampleSink() = default;
};

}  // namespace ts
