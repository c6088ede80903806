// The demonstration generator against what it has to deliver: one event every
// 10 ms, 100 a second. Counters read "x_demand": how many times over one core
// covers that (the "/s" that the counter prints is the library's own).
#include <benchmark/benchmark.h>

#include "app/station.h"
#include "chart/demo_signals.h"
#include "sim/null_ui.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"

namespace {

constexpr double kEventsPerSecond = 100;

void SetDemandCounter(benchmark::State& state) {
    state.counters["x_demand"] = benchmark::Counter(
        static_cast<double>(state.iterations()) / kEventsPerSecond, benchmark::Counter::kIsRate);
}

void BM_DemoValues(benchmark::State& state) {
    std::uint16_t n = 0;
    for (auto _ : state) {
        n = ts::NextDemoCount(n);
        benchmark::DoNotOptimize(ts::DemoValues(n));
    }
    SetDemandCounter(state);
}
BENCHMARK(BM_DemoValues);

// One whole timer event: the six values and the pass through the pipeline,
// with "12сек" shown and all six channels drawn.
void BM_DemoTimerEvent(benchmark::State& state) {
    ts::sim::SimDriver driver;
    ts::sim::TestPlatform platform;
    ts::sim::NullUi ui;
    ts::Station station(driver, platform, ui);
    for (auto& enable : station.form().ChartEN_CH) enable.Checked = true;
    station.M_Menu_Mode_DemoClick();
    for (auto _ : state) station.TimerDemoTimer();
    SetDemandCounter(state);
}
BENCHMARK(BM_DemoTimerEvent);

}  // namespace
