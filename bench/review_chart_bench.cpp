// The review window's chart painted: six channels on scales of their own across the plot,
// the whole hour (the index's coarse levels) and ten minutes of it, into an image off the
// screen as the window's backing store gets it. Processor time of this thread per paint.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>

#include "review/review_model.h"
#include "review_chart.h"
#include "review_chart_file.h"
#include "window_bench_support.h"

namespace {

using namespace ts;

struct QuietUi final : ReviewUi {
    void ShowMessage(std::string_view) override {}
    std::optional<std::string> ChooseExportFile(ExportKind, const std::string&) override {
        return std::nullopt;
    }
    bool WriteChartPicture(const std::string&) override { return false; }
};

// Arg 0: the whole hour; 1: ten minutes in its middle.
void BM_ReviewChartPaint(benchmark::State& state) {
    bench::EnsureApplication();
    QuietUi ui;
    ReviewModel model(ui);
    const std::string path = bench::ReviewChartFile(QDir::tempPath().toStdString());
    if (const std::string problem = model.Open(path, {}, review::DateOrder::DayMonthYear);
        !problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    const_cast<review::RecordingIndex&>(model.Index()).WaitForPass();
    model.Tick();
    if (state.range(0) == 1) model.SpanClick(9);  // "10мин"
    ReviewChart chart;
    chart.resize(740, 440);
    chart.setModel(&model, {});
    QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
    chart.render(&image);
    const double start = bench::ThreadCpuSeconds();
    for (auto _ : state) {
        chart.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["cpu_ms_per_paint"] =
        state.iterations() > 0
            ? 1e3 * (bench::ThreadCpuSeconds() - start) / static_cast<double>(state.iterations())
            : 0;
}
BENCHMARK(BM_ReviewChartPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
