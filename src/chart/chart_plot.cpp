#include "chart_plot.h"

#include <algorithm>
#include <cstdint>

namespace ts {

namespace {

// Points a pixel off after a move of one point, at most, for columns rounded from the axis's end.
constexpr double kFewOffColumns = 16;

// As the system scales a length for a DPI: rounded to the nearest pixel.
int Scaled(int length, int dpi) {
    return static_cast<int>((static_cast<std::int64_t>(length) * dpi + 48) / 96);
}

}  // namespace

ChartPlot::ChartPlot() {
    for (Series& s : series_) s.y.reserve(kMaxPoints);
}

bool ChartPlot::SetBottomMinimum(double value) {
    if (bottomMin_ == value) return false;
    bottomMin_ = value;
    return true;
}

bool ChartPlot::SetBottomMaximum(double value) {
    if (bottomMax_ == value) return false;
    bottomMax_ = value;
    return true;
}

bool ChartPlot::EmptySeries(int channel) {
    Series& s = series_[static_cast<std::size_t>(channel)];
    if (s.count == 0) return false;
    s.count = 0;
    return true;
}

void ChartPlot::SetSeries(int channel, double firstX, std::span<const float> y, Color color) {
    Series& s = series_[static_cast<std::size_t>(channel)];
    s.firstX = firstX;
    s.color = color;
    if (s.y.size() < y.size()) s.y.resize(y.size());
    std::copy(y.begin(), y.end(), s.y.begin());
    s.count = static_cast<int>(y.size());
}

bool ChartPlot::SetBackgroundColor(Color color) {
    if (background_ == color) return false;
    background_ = color;
    return true;
}

bool ChartPlot::SetGridColor(Color color) {
    if (grid_ == color) return false;
    grid_ = color;
    return true;
}

PlotArea ChartPlot::AreaOf(int width, int height, int dpi) {
    const int left = Scaled(kLeftAxisWidth, dpi);
    const int top = Scaled(kTopMargin, dpi);
    return PlotArea{left, top, width - Scaled(kRightAxisWidth, dpi) - left,
                    height - Scaled(kBottomAxisHeight, dpi) - top};
}

ChartPlot::Mapping ChartPlot::Scaling(const PlotArea& area) const {
    const double span = bottomMax_ - bottomMin_;
    Mapping m;
    m.xScale = span > 0 ? (area.width - 1) / span : 0;
    // As the axis travels a point at a time, the picture moves by whole pixels. Where a point
    // takes nearly a whole number of pixels (0.99 at 96 dpi), each column is rounded from the
    // axis's left end, and a move leaves only a few points a pixel off the picture's shift. Where
    // it takes a fraction (1.24 at 125 %, 1.49 at 150 %), that would be a point in four or two:
    // a column is rounded where its value lies, so that all points move alike, but for the
    // axis's return to its start every 50 points.
    const double off = std::abs(m.xScale - std::round(m.xScale)) * span;
    const double leftEnd = bottomMin_ * m.xScale;
    m.left = area.left - (off <= kFewOffColumns ? leftEnd : Rounded(leftEnd));
    m.bottom = area.Bottom() - 1;
    m.yScale = (area.height - 1) / (kAxisHigh - kAxisLow);
    return m;
}

std::array<PercentLine, ChartPlot::kPercentLines> ChartPlot::PercentLines(
    const PlotArea& area) const {
    std::array<PercentLine, kPercentLines> lines;
    const Mapping mapping = Scaling(area);
    for (int step = 0; step < kPercentLines; ++step) {
        const int percent = step * 2;
        lines[static_cast<std::size_t>(step)] =
            PercentLine{mapping.ToPixel(bottomMin_, percent).y, percent, step % 5 == 0};
    }
    return lines;
}

std::string ChartPlot::PercentLabel(int percent) { return std::to_string(percent) + "%"; }

}  // namespace ts
