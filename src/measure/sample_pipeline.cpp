#include "app/station.h"

namespace ts {

namespace {

using Values = std::array<std::uint32_t, kChannels>;

template <std::size_t N>
void Accumulate(std::array<AccumulatorSet, N>& sets, const Values values) {
    // Sums and counts wrap modulo 2^32 by design. The values come as a local
    // copy so that they stay in registers across all the sets.
    for (AccumulatorSet& set : sets) {
#pragma GCC unroll 6
        for (int c = 0; c < kChannels; ++c) set.Sum[c] += values[c];
        ++set.Count;
    }
}

// The distance is taken on the low 32 bits of both counts, so it stays right
// when ElapsedCount passes 2^32 (after some 66 hours) and after the chart is
// cleared with its period start one below ElapsedCount.
bool PeriodOver(const AccumulatorSet& set, std::uint64_t elapsed, std::uint32_t period) {
    const std::uint32_t distance =
        static_cast<std::uint32_t>(elapsed) - static_cast<std::uint32_t>(set.PeriodStart);
    return distance > period;
}

}  // namespace

void Station::ProcessSample(const Sample& sample) {
    if (pipelineProbe != nullptr) pipelineProbe->SampleEntering(sample);
    PipelineState& p = pipeline;

    // The first sample only sets the reference; it adds no time.
    if (p.FirstSample) {
        p.PreviousCounter = sample.TimeCounter;
        p.FirstSample = false;
    }
    // 16-bit subtraction gives the forward distance modulo 65536.
    const auto delta = static_cast<std::uint16_t>(sample.TimeCounter - p.PreviousCounter);
    p.ElapsedCount += delta;
    p.PreviousCounter = sample.TimeCounter;

    // The sample that closes a period belongs to it: accumulate before the ends.
    Values values;
    for (int c = 0; c < kChannels; ++c) values[c] = sample.Value[c];
    Accumulate(p.ChartSets, values);
    Accumulate(p.RecordSets, values);
    p.LatestSample = sample.Value;

    for (int k = 1; k <= kChartScales; ++k) {
        AccumulatorSet& set = p.ChartSets[k - 1];
        const std::uint32_t period = kChartPeriods[k - 1];
        while (PeriodOver(set, p.ElapsedCount, period)) {
            set.PeriodStart += period;
            if (pipelineProbe != nullptr) pipelineProbe->ChartPeriodEnding(k);
            EndChartPeriod(k);
        }
    }

    if (recording.RecordingActive && form.RadioB_File[kRecordChoiceAll].Checked) {
        std::array<double, kChannels> raw;
        for (int c = 0; c < kChannels; ++c) raw[c] = p.LatestSample[c];
        const std::uint64_t elapsed = p.ElapsedCount - recording.RecordingStart;
        if (pipelineProbe != nullptr) pipelineProbe->RecordWriting(elapsed, raw);
        WriteRecord(elapsed, raw);
    }

    for (int j = 1; j <= kRecordPeriods; ++j) {
        AccumulatorSet& set = p.RecordSets[j - 1];
        const std::uint32_t period = kRecordPeriodUnits[j - 1];
        while (PeriodOver(set, p.ElapsedCount, period)) {
            set.PeriodStart += period;
            if (pipelineProbe != nullptr) pipelineProbe->RecordPeriodEnding(j);
            EndRecordPeriod(j);
        }
    }

    if (recording.RecordingActive && form.RadioB_File[kRecordChoiceOnChange].Checked) {
        if (pipelineProbe != nullptr) pipelineProbe->ChangeChecking();
        CheckChange();
    }
}

void Station::ResetPipeline() {
    // FirstSample, PreviousCounter and LatestSample survive: the next sample
    // counts its distance from the last one seen.
    for (AccumulatorSet& set : pipeline.ChartSets) set = AccumulatorSet{};
    for (AccumulatorSet& set : pipeline.RecordSets) set = AccumulatorSet{};
    pipeline.ElapsedCount = 0;
    recording.RecordingStart = 0;
}

}  // namespace ts
