#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/station.h"
#include "measure/pipeline_probe.h"

namespace ts {

// Attaches itself to a station and writes down what the pipeline does: every
// sample that enters and every dispatched step, as "chart k", "write",
// "record j" and "check", in the order they came.
class PipelineRecorder final : public PipelineProbe {
public:
    explicit PipelineRecorder(Station& station) : station_(station) {
        station_.pipelineProbe = this;
    }
    ~PipelineRecorder() override { station_.pipelineProbe = nullptr; }
    PipelineRecorder(const PipelineRecorder&) = delete;
    PipelineRecorder& operator=(const PipelineRecorder&) = delete;

    struct Write {
        std::uint64_t elapsed;
        std::array<double, kChannels> raw;
    };

    std::vector<Sample> samples;
    std::vector<std::string> steps;
    std::vector<Write> writes;
    // The set as each of its period ends saw it.
    std::vector<AccumulatorSet> chartSetsSeen, recordSetsSeen;

    void SampleEntering(const Sample& s) override { samples.push_back(s); }
    void ChartPeriodEnding(int scale) override {
        steps.push_back("chart " + std::to_string(scale));
        chartSetsSeen.push_back(station_.pipeline.ChartSets[scale - 1]);
    }
    void RecordWriting(std::uint64_t elapsed, const std::array<double, kChannels>& raw) override {
        steps.push_back("write");
        writes.push_back({elapsed, raw});
    }
    void RecordPeriodEnding(int period) override {
        steps.push_back("record " + std::to_string(period));
        recordSetsSeen.push_back(station_.pipeline.RecordSets[period - 1]);
    }
    void ChangeChecking() override { steps.push_back("check"); }

    int StepCount(const std::string& step) const {
        int n = 0;
        for (const auto& s : steps) n += (s == step);
        return n;
    }

private:
    Station& station_;
};

}  // namespace ts
