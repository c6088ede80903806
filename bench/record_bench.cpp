// Result file writer at full speed: one "Всё" line per sample, formatted,
// calibrated on all six channels and handed to the file, as a multiple of
// the instrument's line rate.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "allocation_counter.h"
#include "app/station.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"

namespace {

// Frames per second at 1,152,000 baud: ten bits per byte, fourteen bytes per frame.
constexpr double kLineRate = 8228.6;

// Lines one 40 ms tick brings at the line rate; the tick hands them to the file.
constexpr int kLinesPerTick = 329;

struct RecordingRig {
    ts::sim::SimDriver driver;
    ts::sim::TestPlatform platform;
    ts::sim::TestUi ui;
    std::unique_ptr<ts::Station> station = std::make_unique<ts::Station>(driver, platform, ui);
    std::filesystem::path folder;

    RecordingRig() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "record_bench_XXXXXX").string();
        folder = mkdtemp(pattern.data());
        platform.regional.DecimalSeparator = ',';
        ts::Station& st = *station;
        for (int c = 0; c < ts::kChannels; ++c) {
            // Five-point tables, like a typical sensor's.
            ts::CalibrationTable table;
            table.PointCount = 5;
            for (int i = 0; i < 5; ++i) {
                table.RawPoints[static_cast<std::size_t>(i)] = i * 256.0;
                table.ResultPoints[static_cast<std::size_t>(i)] = -50.0 + i * i * 12.345 + c;
            }
            st.measurement().Tables().Use(c + 1, table);
            st.form().FileEN_CH[static_cast<std::size_t>(c)].Checked = true;
        }
        st.form().SelectRecordChoice(ts::kRecordChoiceAll);
        ui.resultFileAnswers.push_back((folder / "bench.txt").string());
        st.B_FileClick();
        st.B_FileSaveStartClick();
    }
    ~RecordingRig() {
        station.reset();
        std::filesystem::remove_all(folder);
    }
};

void BM_WriteRecordLine(benchmark::State& state) {
    RecordingRig rig;
    ts::Station& st = *rig.station;
    std::uint64_t elapsed = 0;
    std::array<double, ts::kChannels> raw{};
    int inTick = 0;
    const std::uint64_t allocationsBefore = ts::bench::AllocationCount();
    for (auto _ : state) {
        elapsed += 3;
        for (int c = 0; c < ts::kChannels; ++c) {
            raw[static_cast<std::size_t>(c)] = static_cast<double>((elapsed * (c + 7)) % 1024);
        }
        st.recording().WriteRecord(elapsed, raw);
        if (++inTick == kLinesPerTick) {
            st.recording().FlushRecords();
            inTick = 0;
        }
    }
    const std::uint64_t allocations = ts::bench::AllocationCount() - allocationsBefore;
    if (!rig.ui.boxes.empty()) state.SkipWithError("the result file could not be written");
    state.counters["x_line_rate"] = benchmark::Counter(
        static_cast<double>(state.iterations()) / kLineRate, benchmark::Counter::kIsRate);
    state.counters["allocs_per_line"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_WriteRecordLine)->UseRealTime();

}  // namespace
