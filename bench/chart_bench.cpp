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
    station.form().RadioGroup_X = 0;
    for (auto& box : station.form().ChartEN_CH) box.Checked = true;
    auto code = [](std::size_t c, int s) {
        const double phase = static_cast<double>(s) / 37.0 + static_cast<double>(c);
        return static_cast<std::uint16_t>(512 + 400 * std::sin(phase));
    };
    // Closed point by point as the measurement closes them, the chart standing still meanwhile.
    station.form().CheckBox_ChartStop.Checked = true;
    for (int point = 1; point <= kRingPoints; ++point) {
        const int slot = point % kRingPoints;
        SampleCodes mean, latest;
        for (std::size_t c = 0; c < kChannels; ++c) {
            mean[c] = code(c, slot);
            latest[c] = code(c, kRingPoints + slot);
        }
        station.chart().ChartPointClosed(1, mean, latest);
    }
    station.form().CheckBox_ChartStop.Checked = false;
}

// Processor time of the timed loop as a percentage of the periods it stood
// for (processor, not wall time: the machine is shared).
class PeriodShare {
public:
    explicit PeriodShare(benchmark::State& state, int periodsPerIteration = 1)
        : state_(state), periodsPerIteration_(periodsPerIteration), start_(ThreadCpuSeconds()) {}
    ~PeriodShare() {
        const double spent = ThreadCpuSeconds() - start_;
        const double periods = static_cast<double>(state_.iterations()) * periodsPerIteration_ *
                               kShortestPeriodSeconds;
        state_.counters[periodsPerIteration_ == 1 ? "percent_of_20ms" : "percent_of_40ms"] =
            periods > 0 ? 100.0 * spent / periods : 0;
        state_.counters["us_per_iteration"] =
            state_.iterations() > 0 ? 1e6 * spent / static_cast<double>(state_.iterations()) : 0;
    }

private:
    benchmark::State& state_;
    int periodsPerIteration_;
    double start_;
};

// The chart on its own widget, fed by the station through the Qt port.
struct ChartRig {
    bool application = (EnsureApplication(), true);
    sim::SimDriver driver;
    sim::TestPlatform platform;
    QWidget window;
    StripChart* chart = new StripChart(&window);
    QLabel* label = new QLabel(&window);
    QtUi ui{&window, chart, label};
    Station station{driver, platform, ui};
    QImage image;

    ChartRig() {
        chart->setGeometry(0, 0, 665, 534);
        PrepareStation(station);
        image = QImage(chart->size(), QImage::Format_ARGB32_Premultiplied);
        station.measurement().CloseChartPeriod(1);
        chart->render(&image);
    }
};

// The whole chart drawn again for a point, as a change of colour or span draws it.
void BM_RedrawShortestScaleToPixels(benchmark::State& state) {
    ChartRig rig;
    const PeriodShare share(state);
    for (auto _ : state) {
        rig.station.measurement().CloseChartPeriod(
            1);  // one point: the ring advances and the scale redraws
        rig.chart->forgetPicture();
        rig.chart->render(&rig.image);
        benchmark::DoNotOptimize(rig.image.constBits());
    }
}
BENCHMARK(BM_RedrawShortestScaleToPixels);

// One 40 ms tick of "12сек" as the window goes on: two points, the scale redrawn for each by the
// core, and the chart's picture moved and its new columns drawn.
void BM_ScrollOneTickShortestScale(benchmark::State& state) {
    ChartRig rig;
    const PeriodShare share(state, 2);
    for (auto _ : state) {
        rig.station.measurement().CloseChartPeriod(1);
        rig.station.measurement().CloseChartPeriod(1);
        benchmark::DoNotOptimize(rig.chart->bringUpToDate());
    }
}
BENCHMARK(BM_ScrollOneTickShortestScale);

// The same, and the plot area then painted (what the window's backing store gets).
void BM_ScrollOneTickShortestScaleToPixels(benchmark::State& state) {
    ChartRig rig;
    const QRegion plot(rig.chart->plotRect());
    const PeriodShare share(state, 2);
    for (auto _ : state) {
        rig.station.measurement().CloseChartPeriod(1);
        rig.station.measurement().CloseChartPeriod(1);
        rig.chart->render(&rig.image, QPoint(), plot);
        benchmark::DoNotOptimize(rig.image.constBits());
    }
}
BENCHMARK(BM_ScrollOneTickShortestScaleToPixels);

void BM_RedrawShortestScaleCoreOnly(benchmark::State& state) {
    sim::SimDriver driver;
    sim::TestPlatform platform;
    sim::NullUi ui;
    Station station(driver, platform, ui);
    PrepareStation(station);
    const PeriodShare share(state);
    for (auto _ : state) station.measurement().CloseChartPeriod(1);
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
        chart.forgetPicture();
        chart.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PaintSixFullSeries);

}  // namespace
