#pragma once

#include <array>
#include <cstdint>

#include "base/sample.h"

namespace ts {

using SampleCodes = std::array<std::uint16_t, kChannels>;

// Takes the chart's points as the measurement closes them; set up by the wiring.
class ChartPointSink {
public:
    // A point of chart scale `scale` (1..25) has closed: the truncated mean of its samples and
    // the sample that closed it.
    virtual void ChartPointClosed(int scale, const SampleCodes& mean,
                                  const SampleCodes& latest) = 0;

protected:
    ~ChartPointSink() = default;
};

// Takes what a recording may write; set up by the wiring. Times are the measurement's own, in
// units of 1/18000 s since it started.
class RecordSink {
public:
    // Recording period `period` (1..17) has closed at `boundary`, with the mean of its samples.
    virtual void RecordPeriodClosed(int period, std::uint64_t boundary,
                                    const std::array<double, kChannels>& mean,
                                    const SampleCodes& latest) = 0;
    // A sample has been measured at `elapsed`, after every period it closed.
    virtual void SampleMeasured(std::uint64_t elapsed, const SampleCodes& latest) = 0;

protected:
    ~RecordSink() = default;
};

}  // namespace ts
