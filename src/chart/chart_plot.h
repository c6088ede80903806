#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "base/color.h"
#include "base/sample.h"

namespace ts {

// A rectangle in a window's pixels; right and bottom are one past the last column and row.
struct PlotArea {
    int left = 0, top = 0, width = 0, height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
};

struct PlotPoint {
    int x = 0, y = 0;
};

// One line of the horizontal grid: every 2 %, major (solid and labelled) every 10 %.
struct PercentLine {
    int y = 0;
    int percent = 0;
    bool major = false;
};

// The strip chart without its toolkit: six series, the bottom axis range, the colours, the
// layout and the mapping from values to pixels. The windows keep only their drawing and events.
// Fixed vertical range -0.3 .. 100.3 % on both sides; the bottom axis range is set by the core.
class ChartPlot {
public:
    static constexpr int kMaxPoints = 600;
    static constexpr int kPercentLines = 51;
    // At 96 dots per inch.
    static constexpr int kLeftAxisWidth = 34;
    static constexpr int kRightAxisWidth = 34;
    static constexpr int kTopMargin = 24;
    static constexpr int kBottomAxisHeight = 26;
    // Time lines every this many x units, solid at every fifth.
    static constexpr int kTimeLineStep = 10;
    static constexpr int kSolidTimeLineStep = 50;

    struct Series {
        double firstX = 0;
        std::vector<float> y;  // reserved once, never shrinks
        int count = 0;
        Color color = 0;
    };

    ChartPlot();

    // The setters return whether anything changed, so that a window repaints only then.
    bool SetBottomMinimum(double value);
    bool SetBottomMaximum(double value);
    double BottomMinimum() const { return bottomMin_; }
    double BottomMaximum() const { return bottomMax_; }
    bool EmptySeries(int channel);
    // Point i of the series lies at x = firstX + i.
    void SetSeries(int channel, double firstX, std::span<const float> y, Color color);
    const Series& SeriesOf(int channel) const { return series_[static_cast<std::size_t>(channel)]; }
    bool SetBackgroundColor(Color color);
    bool SetGridColor(Color color);
    Color BackgroundColor() const { return background_; }
    Color GridColor() const { return grid_; }

    // The plotting area of a window of that size; lengths are those at 96 dpi scaled to `dpi`.
    static PlotArea AreaOf(int width, int height, int dpi = 96);
    PlotPoint ToPixel(const PlotArea& area, double x, double percent) const {
        return Scaling(area).ToPixel(x, percent);
    }
    std::array<PercentLine, kPercentLines> PercentLines(const PlotArea& area) const;
    static std::string PercentLabel(int percent);

    // Calls line(px, solid) for each vertical grid line inside the area: attached to the data at
    // multiples of 10 x units, solid at multiples of 50, so they travel left with every point.
    template <typename Line>
    void ForEachTimeLine(const PlotArea& area, Line&& line) const {
        if (!(bottomMax_ > bottomMin_)) return;
        const Mapping mapping = Scaling(area);
        const double first = std::ceil(bottomMin_ / kTimeLineStep) * kTimeLineStep;
        for (double x = first; x <= bottomMax_; x += kTimeLineStep) {
            const int px = mapping.ToPixel(x, 0).x;
            if (px < area.left || px >= area.Right()) continue;
            line(px, std::fmod(x, kSolidTimeLineStep) == 0.0);
        }
    }

    // The columns (from the area's left edge) of x = BottomMinimum() + j, for each j of `out`.
    void TimeColumns(const PlotArea& area, std::span<int> out) const {
        const Mapping mapping = Scaling(area);
        for (std::size_t j = 0; j < out.size(); ++j) {
            out[j] = mapping.ToPixel(bottomMin_ + static_cast<double>(j), 0).x - area.left;
        }
    }

    // The pixels of a series, into `out` (whose storage a window reserves once for kMaxPoints).
    template <typename Point>
    void MapSeries(const PlotArea& area, int channel, std::vector<Point>& out) const {
        MapSeries(area, channel, out, 0, SeriesOf(channel).count);
    }
    // Only points [first, last) of the series.
    template <typename Point>
    void MapSeries(const PlotArea& area, int channel, std::vector<Point>& out, int first,
                   int last) const {
        out.clear();
        AppendSeries(area, channel, out, first, last);
    }
    // The same after what `out` holds already.
    template <typename Point>
    void AppendSeries(const PlotArea& area, int channel, std::vector<Point>& out, int first,
                      int last) const {
        const Series& s = SeriesOf(channel);
        const Mapping mapping = Scaling(area);
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(std::max(last - first, 0)));
        Point* to = out.data() + at;
        for (int i = first; i < last; ++i) {
            const PlotPoint p = mapping.ToPixel(
                s.firstX + i, static_cast<double>(s.y[static_cast<std::size_t>(i)]));
            to[i - first] = Point{p.x, p.y};
        }
    }

private:
    // From axis values to pixels, worked out once for a whole series: the hot path of a redraw.
    struct Mapping {
        double left = 0, xScale = 0, bottom = 0, yScale = 0;
        PlotPoint ToPixel(double x, double percent) const {
            return PlotPoint{Rounded(left + x * xScale),
                             Rounded(bottom - (percent - kAxisLow) * yScale)};
        }
    };
    static constexpr double kAxisLow = -0.3;
    static constexpr double kAxisHigh = 100.3;

    // Far off-scale values (and a value that is not a number) stay far off-scale without
    // overflowing an int. Halves go away from zero, as lround, but without a call or a branch for
    // each of thousands of points: at these sizes the part after the point is exact.
    static int Rounded(double pixel) {
        const double clamped = pixel < 1e6 ? (pixel > -1e6 ? pixel : -1e6) : 1e6;
        const int whole = static_cast<int>(clamped);
        const double rest = clamped - whole;
        return whole + (rest >= 0.5 ? 1 : 0) - (rest <= -0.5 ? 1 : 0);
    }
    Mapping Scaling(const PlotArea& area) const;

    std::array<Series, kChannels> series_;
    double bottomMin_ = 0, bottomMax_ = 600;
    Color background_ = kColorBlack;
    Color grid_ = kColorGrey;
};

}  // namespace ts
