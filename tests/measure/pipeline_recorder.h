#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/station.h"
#include "measure/pipeline_probe.h"

namespace ts {

// Attaches itself to a station's measurement and writes down what it does: every
// sample that enters and every step it hands on, as "chart k", "record j" and
// "sample", in the order they came.
class PipelineRecorder final : public PipelineProbe {
public:
    explicit PipelineRecorder(Station& station) : station_(station) {
        station_.measurement().Attach(this);
    }
    ~PipelineRecorder() override { station_.measurement().Attach(nullptr); }
    PipelineRecorder(const PipelineRecorder&) = delete;
    PipelineRecorder& operator=(const PipelineRecorder&) = delete;

    std::vector<Sample> samples;
    std::vector<std::string> steps;
    // The time of every sample handed on to the recording.
    std::vector<std::uint64_t> handedOn;
    // The set as each of its period ends saw it.
    std::vector<AccumulatorSet> chartSetsSeen, recordSetsSeen;

    void SampleEntering(const Sample& s) override { samples.push_back(s); }
    void ChartPeriodEnding(int scale) override {
        steps.push_back("chart " + std::to_string(scale));
        chartSetsSeen.push_back(station_.measurement().ChartSums(scale));
    }
    void RecordPeriodEnding(int period) override {
        steps.push_back("record " + std::to_string(period));
        recordSetsSeen.push_back(station_.measurement().RecordSums(period));
    }
    void SampleHandingOn(std::uint64_t elapsed) override {
        steps.push_back("sample");
        handedOn.push_back(elapsed);
    }

    // Forgets what it wrote down so far.
    void Forget() {
        samples.clear();
        steps.clear();
        handedOn.clear();
        chartSetsSeen.clear();
        recordSetsSeen.clear();
    }

    int StepCount(const std::string& step) const {
        int n = 0;
        for (const auto& s : steps) n += (s == step);
        return n;
    }

private:
    Station& station_;
};

}  // namespace ts
