// The main window's mirror after a timer tick: what every 40 ms tick costs the window besides
// the chart, with the readouts and the link statistics changed as a streaming instrument
// changes them. Reported as a share of the tick.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <string>

#include "main_window.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"
#include "window_bench_support.h"

namespace {

using namespace ts;

constexpr double kTickSeconds = 0.040;

void BM_MirrorAfterATick(benchmark::State& state) {
    bench::EnsureApplication();
    // The boxes the start raises (no instrument, no settings) are answered at once.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                box->done(QMessageBox::Ok);
            }
        }
    });
    answer.start(5);
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    sim::SimDriver driver;
    sim::TestPlatform platform;
    TMF window(driver, platform);
    answer.stop();
    Form& form = window.station().form();
    // Readouts of a live instrument, each tick one of two values.
    const std::string values[2] = {"12.345", "12.346"};
    const double start = bench::ThreadCpuSeconds();
    std::size_t tick = 0;
    for (auto _ : state) {
        ++tick;
        for (LabelState& readout : form.Label_ResCH) readout.Caption = values[tick % 2];
        form.Label_Connection_Indicator.Hint = values[tick % 2];
        window.ApplyForm();
    }
    const double ticks = static_cast<double>(state.iterations()) * kTickSeconds;
    state.counters["percent_of_40ms"] =
        ticks > 0 ? 100.0 * (bench::ThreadCpuSeconds() - start) / ticks : 0;
    QDir::setCurrent(previous);
}
BENCHMARK(BM_MirrorAfterATick);

}  // namespace
