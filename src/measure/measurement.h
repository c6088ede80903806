#pragma once

#include <cstdint>

#include "base/form.h"
#include "base/ui_port.h"
#include "measure/calibration_tables.h"
#include "measure/measurement_sinks.h"
#include "measure/pipeline_probe.h"
#include "measure/pipeline_state.h"
#include "measure/sample_sink.h"
#include "platform/platform.h"

namespace ts {

// The measurement: the instrument's time stamps unwrapped into one running time, the sums of
// every chart scale and recording period, the calibrated half-second readouts. It takes
// samples and hands the points it closes to the chart and the recording.
class Measurement final : public SampleSink {
public:
    Measurement(Platform& platform, Ui& ui, MeasurementFields& form);
    Measurement(const Measurement&) = delete;
    Measurement& operator=(const Measurement&) = delete;

    void Connect(ChartPointSink& chart, RecordSink& record);
    // Null in the program; a test or the headless recorder attaches one to see the dispatch.
    void Attach(PipelineProbe* probe) { probe_ = probe; }

    void TakeSample(const Sample& sample) override;

    // All 42 sums and the time back to 0 and the readouts to zero; the last time stamp and
    // sample stay, so the next sample counts its distance from the last one seen.
    void Reset();
    // The next sample only sets the time reference, as the first of a new source.
    void StartAgainFromNextSample() { state_.FirstSample = true; }
    // The chart's scale `scale` was cleared: its next point comes a whole period from now.
    // Its sums stay, so the samples gathered before still go into that point.
    void RestartChartPeriod(int scale);
    // A recording starts now: every recording period begins here.
    void RestartRecordPeriods();
    // Closes chart scale `scale`'s point or recording period `period` now, as its end
    // would, and hands it on.
    void CloseChartPeriod(int scale);
    void CloseRecordPeriod(int period);

    std::uint64_t Elapsed() const { return state_.ElapsedCount; }
    // The time `sample` will carry once it is taken.
    std::uint64_t ElapsedAt(const Sample& sample) const;
    // A sample has come since the last start.
    bool Streaming() const { return !state_.FirstSample; }
    const SampleCodes& Latest() const { return state_.LatestSample; }
    // The running sums of chart scale `scale` (1..25) and of recording period `period` (1..17).
    const AccumulatorSet& ChartSums(int scale) const {
        return state_.ChartSets[static_cast<std::size_t>(scale - 1)];
    }
    const AccumulatorSet& RecordSums(int period) const {
        return state_.RecordSets[static_cast<std::size_t>(period - 1)];
    }

    CalibrationTables& Tables() { return tables_; }
    const CalibrationTables& Tables() const { return tables_; }

private:
    void ShowReadouts(const AccumulatorSet& set);

    Platform& platform_;
    MeasurementFields& form_;
    CalibrationTables tables_;
    PipelineState state_;
    PipelineProbe* probe_ = nullptr;
    ChartPointSink* chart_ = nullptr;
    RecordSink* record_ = nullptr;
};

}  // namespace ts
