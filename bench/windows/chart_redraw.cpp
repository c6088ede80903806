// The Win32 window's strip chart with six full series (600 points each), as on the shortest scale
// where a point arrives every 20 ms: drawn off the screen and copied to the window, once whole
// (as after a change of span or colour) and once as it goes on, a 40 ms tick of two points moving
// the picture. Reported as a share of the time they stand for, in processor time of the drawing
// thread (the machine is shared) and in wall time.
#include <array>
#include <cmath>
#include <cstdio>
#include <span>
#include <utility>

#include "bench_clocks.h"
#include "chart/chart_settings.h"
#include "chart/scale_ring.h"
#include "strip_chart.h"
#include "win32.h"

namespace {

using namespace ts;

constexpr double kPeriodSeconds = 0.020;
constexpr int kWarmUp = 50;
constexpr int kRedraws = 1000;

using bench::ThreadSeconds;
using bench::WallSeconds;

class Frame final : public win32::WindowBase {
public:
    Frame() {
        CreateWindowOf(L"TsChartBench", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, nullptr,
                       L"chart redraw", RECT{0, 0, 700, 600});
    }
};

constexpr int kShifts = kWarmUp + 5 * kRedraws;

// Six busy curves, computed once: the redraws take a window of them that moves on by a point.
using Curves = std::array<std::array<float, kRingPoints + kShifts>, kChannels>;

void Compute(Curves& curves) {
    for (std::size_t c = 0; c < kChannels; ++c) {
        for (std::size_t i = 0; i < curves[c].size(); ++i) {
            const double phase = static_cast<double>(i) / 37.0 + static_cast<double>(c);
            curves[c][i] = static_cast<float>(50 + 40 * std::sin(phase));
        }
    }
}

void Feed(win32::StripChart& chart, const Curves& curves, int shift) {
    for (std::size_t c = 0; c < kChannels; ++c) {
        const std::span<const float> y(curves[c].data() + shift, kRingPoints);
        chart.SetSeries(static_cast<int>(c), shift, y, kDefaultCurveColors[c]);
    }
    chart.SetBottomMinimum(shift);
    chart.SetBottomMaximum(shift + kRingPoints);
}

}  // namespace

int main() {
    SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    Frame frame;
    const HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg");
    win32::StripChart chart;
    chart.Create(frame.hwnd(), {0, 0, 665, 534}, 96, font);
    static Curves curves;
    Compute(curves);
    for (int i = 0; i < kWarmUp; ++i) {
        Feed(chart, curves, i);
        chart.Redraw();
    }
    // The series change with every redraw, as they do when a point arrives; that copy is
    // the window's share of the work too.
    int shift = kWarmUp;
    auto time = [&](int step, bool whole, bool shown) {
        GdiFlush();
        const double cpu0 = ThreadSeconds(), wall0 = WallSeconds();
        for (int i = 0; i < kRedraws; ++i) {
            shift += step;
            Feed(chart, curves, shift);
            if (whole) chart.ForgetPicture();
            if (shown) {
                chart.Redraw();
            } else {
                chart.BringUpToDate();
            }
        }
        GdiFlush();
        return std::pair((ThreadSeconds() - cpu0) / kRedraws, (WallSeconds() - wall0) / kRedraws);
    };
    const auto [wholeCpu, wholeWall] = time(1, true, true);
    const auto [tickCpu, tickWall] = time(2, false, false);
    const auto [shownCpu, shownWall] = time(2, false, true);
    std::printf("one whole redraw of six 600-point series: %.3f ms processor, %.3f ms wall\n",
                wholeCpu * 1e3, wholeWall * 1e3);
    std::printf("share of the 20 ms period: %.2f %% processor, %.2f %% wall\n",
                100.0 * wholeCpu / kPeriodSeconds, 100.0 * wholeWall / kPeriodSeconds);
    std::printf(
        "one 40 ms tick of two points, the picture moved off the screen: %.3f ms processor,"
        " %.3f ms wall (%.1f %% of a whole redraw)\n",
        tickCpu * 1e3, tickWall * 1e3, 100.0 * tickCpu / wholeCpu);
    std::printf("the same and copied to the screen: %.3f ms processor, %.3f ms wall\n",
                shownCpu * 1e3, shownWall * 1e3);
    DeleteObject(font);
    // The tick's share is a figure to read, not a gate: on a shared machine it swings.
    return 100.0 * wholeCpu / kPeriodSeconds < 5.0 ? 0 : 1;
}
