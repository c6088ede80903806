#pragma once

#include <array>
#include <cstdint>

#include "base/sample.h"

namespace ts {

// Time is counted in units of 1/18000 s, the unit of the instrument's stamps.
constexpr std::uint32_t kTimeUnitsPerSecond = 18000;
constexpr int kChartScales = 25;
constexpr int kRecordPeriods = 17;

// Running sums of one chart scale or recording period. Sums and count wrap
// modulo 2^32 like the instrument software always did.
struct AccumulatorSet {
    std::array<std::uint32_t, kChannels> Sum{};
    std::uint32_t Count = 0;
    std::uint64_t PeriodStart = 0;
};

// Period of chart scale k (index k-1), in time units.
constexpr std::array<std::uint32_t, kChartScales> kChartPeriods = {
    360,    600,    900,     1500,    2400,    3600,    5400,   9000,   12600,
    18000,  27000,  36000,   54000,   72000,   108000,  162000, 216000, 324000,
    540000, 756000, 1080000, 1620000, 2592000, 4320000, 7560000};

// Period of recording period j (index j-1), in time units.
constexpr std::array<std::uint32_t, kRecordPeriods> kRecordPeriodUnits = {
    36,    90,    180,    360,    900,    1800,    3600,    9000,   18000,
    36000, 90000, 180000, 360000, 900000, 1800000, 3600000, 9000000};

// The scale whose period end also refreshes the six readouts (0.5 s).
constexpr int kReadoutScale = 8;

struct PipelineState {
    bool FirstSample = true;
    std::uint16_t PreviousCounter = 0;
    std::uint64_t ElapsedCount = 0;
    std::array<std::uint16_t, kChannels> LatestSample{};
    std::array<AccumulatorSet, kChartScales> ChartSets{};     // ChartSets[k-1] is scale k
    std::array<AccumulatorSet, kRecordPeriods> RecordSets{};  // RecordSets[j-1] is period j
};

}  // namespace ts
