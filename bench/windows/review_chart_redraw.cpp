// The Win32 review window's chart painted with GDI: six channels on scales of their own across
// the plot, the whole hour (the index's coarse levels) and ten minutes of it, drawn off the
// screen and copied to the window as a paint does. Processor time of the drawing thread (the
// machine is shared) and wall time per paint.
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "bench_clocks.h"
#include "review/review_model.h"
#include "review_chart.h"
#include "review_chart_file.h"
#include "win32.h"

namespace {

using namespace ts;

constexpr int kPaints = 300;

using bench::ThreadSeconds;
using bench::WallSeconds;

class Frame final : public win32::WindowBase {
public:
    Frame() {
        CreateWindowOf(L"TsReviewChartBench", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, nullptr,
                       L"review chart paint", RECT{0, 0, 780, 500});
    }
};

struct QuietUi final : ReviewUi {
    void ShowMessage(std::string_view) override {}
    std::optional<std::string> ChooseExportFile(ExportKind, const std::string&) override {
        return std::nullopt;
    }
    bool WriteChartPicture(const std::string&) override { return false; }
};

}  // namespace

int main() {
    SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    std::string temp;
    for (const wchar_t* c = folder; *c != 0; ++c) temp += static_cast<char>(*c);
    QuietUi ui;
    ReviewModel model(ui);
    const std::string problem =
        model.Open(bench::ReviewChartFile(temp), {}, review::DateOrder::DayMonthYear);
    if (!problem.empty()) {
        std::printf("cannot open the recording: %s\n", problem.c_str());
        return 1;
    }
    const_cast<review::RecordingIndex&>(model.Index()).WaitForPass();
    model.Tick();
    Frame frame;
    const HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg");
    win32::ReviewChart chart;
    chart.Create(frame.hwnd(), {0, 0, 740, 440}, 96, font);
    chart.SetModel(&model, {});
    const auto paint = [&] {
        chart.Changed();
        UpdateWindow(chart.hwnd());
    };
    const auto time = [&] {
        for (int i = 0; i < 20; ++i) paint();
        GdiFlush();
        const double cpu0 = ThreadSeconds(), wall0 = WallSeconds();
        for (int i = 0; i < kPaints; ++i) paint();
        GdiFlush();
        return std::pair((ThreadSeconds() - cpu0) / kPaints, (WallSeconds() - wall0) / kPaints);
    };
    const auto [hourCpu, hourWall] = time();
    model.SpanClick(9);  // "10мин"
    const auto [tenCpu, tenWall] = time();
    std::printf("one paint of the whole hour: %.3f ms processor, %.3f ms wall\n", hourCpu * 1e3,
                hourWall * 1e3);
    std::printf("one paint of ten minutes: %.3f ms processor, %.3f ms wall\n", tenCpu * 1e3,
                tenWall * 1e3);
    DeleteObject(font);
    return 0;
}
