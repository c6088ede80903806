#include "measure/measurement.h"
#include "measure/number_format.h"

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

Measurement::Measurement(Platform& platform, Ui& ui, MeasurementFields& form)
    : platform_(platform), form_(form), tables_(platform, ui, form) {}

void Measurement::Connect(ChartPointSink& chart, RecordSink& record) {
    chart_ = &chart;
    record_ = &record;
}

void Measurement::TakeSample(const Sample& sample) {
    if (probe_ != nullptr) probe_->SampleEntering(sample);
    PipelineState& p = state_;

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
            if (probe_ != nullptr) probe_->ChartPeriodEnding(k);
            CloseChartPeriod(k);
        }
    }

    for (int j = 1; j <= kRecordPeriods; ++j) {
        AccumulatorSet& set = p.RecordSets[j - 1];
        const std::uint32_t period = kRecordPeriodUnits[j - 1];
        while (PeriodOver(set, p.ElapsedCount, period)) {
            set.PeriodStart += period;
            if (probe_ != nullptr) probe_->RecordPeriodEnding(j);
            CloseRecordPeriod(j);
        }
    }

    if (probe_ != nullptr) probe_->SampleHandingOn(p.ElapsedCount);
    record_->SampleMeasured(p.ElapsedCount, p.LatestSample);
}

void Measurement::CloseChartPeriod(int scale) {
    AccumulatorSet& set = state_.ChartSets[static_cast<std::size_t>(scale - 1)];
    if (scale == kReadoutScale) ShowReadouts(set);

    // Truncating average; the closed point then enters the next period with the
    // weight of one sample, so a period without samples repeats it exactly.
    SampleCodes average{};
    for (std::size_t c = 0; c < kChannels; ++c) {
        average[c] = set.Count != 0 ? static_cast<std::uint16_t>(set.Sum[c] / set.Count) : 0;
        set.Sum[c] = average[c];
    }
    set.Count = 1;
    chart_->ChartPointClosed(scale, average, state_.LatestSample);
}

void Measurement::ShowReadouts(const AccumulatorSet& set) {
    // The readouts show the calibrated half-second mean, unrounded.
    const char separator = platform_.Regional().DecimalSeparator;
    char text[kNumberTextCapacity];
    for (int c = 0; c < kChannels; ++c) {
        const double mean = set.Count != 0 ? static_cast<double>(set.Sum[c]) / set.Count : 0.0;
        const std::size_t length = FormatReadout(tables_.Calibrate(c + 1, mean), separator, text);
        form_.Label_ResCH[static_cast<std::size_t>(c)].Caption.assign(text, length);
    }
}

void Measurement::CloseRecordPeriod(int period) {
    AccumulatorSet& set = state_.RecordSets[static_cast<std::size_t>(period - 1)];
    std::array<double, kChannels> average{};
    if (set.Count != 0) {
        for (int c = 0; c < kChannels; ++c) {
            average[c] = static_cast<double>(set.Sum[c]) / static_cast<double>(set.Count);
        }
    }
    // The next period starts from this one's mean, counted as one sample, so
    // a period without samples repeats it.
    for (int c = 0; c < kChannels; ++c) set.Sum[c] = static_cast<std::uint32_t>(average[c]);
    set.Count = 1;
    // PeriodStart has already moved on: it is the boundary just passed.
    record_->RecordPeriodClosed(period, set.PeriodStart, average, state_.LatestSample);
}

void Measurement::Reset() {
    // FirstSample, PreviousCounter and LatestSample survive: the next sample
    // counts its distance from the last one seen.
    for (AccumulatorSet& set : state_.ChartSets) set = AccumulatorSet{};
    for (AccumulatorSet& set : state_.RecordSets) set = AccumulatorSet{};
    state_.ElapsedCount = 0;
    const std::string zero = FormatReadout(0.0, platform_.Regional().DecimalSeparator);
    for (LabelState& readout : form_.Label_ResCH) readout.Caption = zero;
}

void Measurement::RestartChartPeriod(int scale) {
    // One unit back, so the next point comes once a whole period has passed.
    state_.ChartSets[static_cast<std::size_t>(scale - 1)].PeriodStart = state_.ElapsedCount - 1;
}

void Measurement::RestartRecordPeriods() {
    for (AccumulatorSet& set : state_.RecordSets) set.PeriodStart = state_.ElapsedCount;
}

std::uint64_t Measurement::ElapsedAt(const Sample& sample) const {
    // As TakeSample counts it: the 16-bit distance from the sample before.
    const auto delta =
        state_.FirstSample
            ? 0
            : static_cast<std::uint16_t>(sample.TimeCounter - state_.PreviousCounter);
    return state_.ElapsedCount + delta;
}

}  // namespace ts
