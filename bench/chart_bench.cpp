// Chart redraw of the shortest scale ("12сек", a point every 20 ms): ring →
// core points → the StripChart painted into an image offscreen. Reported as a
// share of that 20 ms period.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QLabel>
#include <cmath>
#include <ctime>

#include "app/station.h"
#include "qt_ui.h"
#include "sim/null_ui.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"
#include "strip_chart.h"
#include "window_bench_support.h"

namespace {

using namespace ts;
using bench::EnsureApplication;
using bench::ThreadCpuSeconds;

constexpr double kShortestPeriodSeconds = 0.020;

// Six busy curves over the whole window, on the shortest scale, all drawn.
void PrepareStation(Station& station) {
    station.form.RadioGroup_X = 0;
    for (auto& box : station.form.ChartEN_CH) box.Checked = true;
    ScaleRing& ring = station.rings[0];
    for (std::size_t c = 0; c < kChannels; ++c) {
        for (std::size_t s = 0; s < 2 * kRingPoints; ++s) {
            const double phase = static_cast<double>(s) / 37.0 + static_cast<double>(c);
            ring.Points[c][s] = static_cast<std::uint16_t>(512 + 400 * std::sin(phase));
        }
    }
}

// Processor time of the timed loop as a percentage of the periods it stood
// for (processor, not wall time: the machine is shared).
class PeriodShare {
public:
    explicit PeriodShare(benchmark::State& state) : state_(state), start_(ThreadCpuSeconds()) {}
    ~PeriodShare() {
        const double spent = ThreadCpuSeconds() - start_;
        const double periods = static_cast<double>(state_.iterations()) * kShortestPeriodSeconds;
        state_.counters["percent_of_20ms"] = periods > 0 ? 100.0 * spent / periods : 0;
    }

private:
    benchmark::State& state_;
    double start_;
};

void BM_RedrawShortestScaleToPixels(benchmark::State& state) {
    EnsureApplication();
    sim::SimDriver driver;
    sim::TestPlatform platform;
    QWidget window;
    auto* chart = new StripChart(&window);
    chart->setGeometry(0, 0, 665, 534);
    auto* label = new QLabel(&window);
    QtUi ui(&window, chart, label);
    Station station(driver, platform, ui);
    PrepareStation(station);
    QImage image(chart->size(), QImage::Format_ARGB32_Premultiplied);
    {
        const PeriodShare share(state);
        for (auto _ : state) {
            station.EndChartPeriod(1);  // one point: the ring advances and the scale redraws
            chart->render(&image);
            benchmark::DoNotOptimize(image.constBits());
        }
    }
}
BENCHMARK(BM_RedrawShortestScaleToPixels);

void BM_RedrawShortestScaleCoreOnly(benchmark::State& state) {
    sim::SimDriver driver;
    sim::TestPlatform platform;
    sim::NullUi ui;
    Station station(driver, platform, ui);
    PrepareStation(station);
    const PeriodShare share(state);
    for (auto _ : state) station.EndChartPeriod(1);
}
BENCHMARK(BM_RedrawShortestScaleCoreOnly);

void BM_PaintSixFullSeries(benchmark::State& state) {
    EnsureApplication();
    StripChart chart;
    chart.resize(665, 534);
    std::array<float, kRingPoints> y{};
    for (int c = 0; c < kChannels; ++c) {
        for (std::size_t i = 0; i < y.size(); ++i) {
            y[i] = static_cast<float>(50 + 40 * std::sin(static_cast<double>(i) / 37.0 + c));
        }
        chart.setSeries(c, 23, y, kDefaultCurveColors[static_cast<std::size_t>(c)]);
    }
    chart.setBottomMinimum(23);
    chart.setBottomMaximum(623);
    QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
    const PeriodShare share(state);
    for (auto _ : state) {
        chart.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PaintSixFullSeries);

}  // namespace
