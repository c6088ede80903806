// What the result file's sync to the medium costs a recording at the line rate in "Всё": the
// program's share of one core, and the longest 40 ms tick, with the sync and without it. Runs
// 30 s of real ticks on a file in the working folder (on this machine's disk, not in memory).
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <thread>

#include "allocation_counter.h"
#include "app/station.h"
#include "platform/background_sync.h"
#include "platform/system_platform.h"
#include "sim/sim_driver.h"
#include "sim/test_ui.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTick = std::chrono::milliseconds(40);
constexpr int kTicks = 750;
// Lines one 40 ms tick brings at the line rate (8,228.6 frames/s).
constexpr int kLinesPerTick = 329;

// A sync that never begins: the recording as it was without one.
class NoSync final : public ts::DataSync {
public:
    bool Begin(const ts::SystemFile&) override { return false; }
    std::uint64_t Failures() const override { return 0; }
};

// The system's platform, with or without its sync.
class BenchPlatform final : public ts::Platform {
public:
    explicit BenchPlatform(bool sync) : sync_(sync) {}
    bool StartProcess(std::string_view) override { return false; }
    void ReapFinishedProcesses() override {}
    void SleepMs(int ms) override { system_.SleepMs(ms); }
    ts::LocalDateTime Now() override { return system_.Now(); }
    const ts::RegionalSettings& Regional() override { return system_.Regional(); }
    std::string CurrentDirectory() override { return system_.CurrentDirectory(); }
    std::int64_t SteadyMilliseconds() override { return system_.SteadyMilliseconds(); }
    ts::DataSync& Sync() override {
        return sync_ ? static_cast<ts::DataSync&>(background) : noSync_;
    }
    ts::KeepAwake& Awake() override { return system_.Awake(); }

    ts::BackgroundSync background;

private:
    bool sync_;
    ts::SystemPlatform system_;
    NoSync noSync_;
};

void BM_SyncedRecording(benchmark::State& state) {
    const bool withSync = state.range(0) != 0;
    const std::filesystem::path file = std::filesystem::current_path() / "sync_bench.txt";
    for (auto _ : state) {
        ts::sim::SimDriver driver;
        BenchPlatform platform(withSync);
        ts::sim::TestUi ui;
        ts::Station st(driver, platform, ui);
        for (ts::CheckState& box : st.form().FileEN_CH) box.Checked = true;
        st.form().SelectRecordChoice(ts::kRecordChoiceAll);
        ui.resultFileAnswers.push_back(file.string());
        st.B_FileClick();
        st.B_FileSaveStartClick();

        std::array<double, ts::kChannels> raw{};
        std::uint64_t elapsed = 0;
        Clock::duration longestTick{};
        const std::uint64_t allocationsBefore = ts::bench::AllocationCount();
        const std::clock_t cpuBefore = std::clock();
        const Clock::time_point start = Clock::now();
        Clock::time_point next = start;
        for (int tick = 0; tick < kTicks; ++tick) {
            const Clock::time_point begin = Clock::now();
            for (int line = 0; line < kLinesPerTick; ++line) {
                elapsed += 2;
                raw.fill(static_cast<double>(elapsed % 1024));
                st.recording().WriteRecord(elapsed, raw);
            }
            st.recording().FlushRecords();
            longestTick = std::max(longestTick, Clock::now() - begin);
            next += kTick;
            std::this_thread::sleep_until(next);
        }
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        const std::uint64_t allocations = ts::bench::AllocationCount() - allocationsBefore;
        st.B_FileSaveStopClick();
        if (!ui.boxes.empty()) state.SkipWithError("the result file could not be written");

        state.counters["core_share"] = cpu / wall;
        state.counters["longest_tick_per_40ms"] =
            std::chrono::duration<double>(longestTick) / std::chrono::duration<double>(kTick);
        state.counters["syncs"] = static_cast<double>(platform.background.Completed());
        // The sync's thread is made at the first sync; nothing after that.
        state.counters["allocs"] = static_cast<double>(allocations);
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_SyncedRecording)
    ->ArgName("sync")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
