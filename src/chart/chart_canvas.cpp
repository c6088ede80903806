#include "chart/chart_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ts {

namespace {

// More columns to draw than this share of the plot, or a step of more than half the span, and
// the whole picture costs no more.
constexpr int kMostRanges = 32;
constexpr int kLongestSpan = 2048;
// A pixel of the fixed rows that nothing was drawn over, as a mask.
constexpr std::uint32_t kBare = 0xFFFFFFFFu;

bool Integral(double value) { return std::floor(value) == value; }

// The runs copied are a few pixels long, on every row: a plain loop beats a call of memcpy.
void CopyPixels(std::uint32_t* to, const std::uint32_t* from, int count) {
    for (int i = 0; i < count; ++i) to[i] = from[i];
}

// One fixed row put back under the ring's bare pixels: ring column p shows plot column
// p - start, in two runs. Nothing here may alias, and nothing is read through the canvas, so
// that the compiler does several pixels at once.
void PutBackRow(std::uint32_t* __restrict ring, const std::uint32_t* __restrict fixed,
                const std::uint32_t* __restrict bare, int width, int start) {
    for (int p = start; p < width; ++p) {
        ring[p] = (ring[p] & ~bare[p]) | (fixed[p - start] & bare[p]);
    }
    for (int p = 0; p < start; ++p) {
        ring[p] = (ring[p] & ~bare[p]) | (fixed[p + width - start] & bare[p]);
    }
}

}  // namespace

ChartCanvas::ChartCanvas(std::uint32_t unpainted) : unpainted_(unpainted) {
    ranges_.reserve(kMostRanges);
    columns_.reserve(kLongestSpan + 1);
}

void ChartCanvas::Reset(const PlotArea& area, PixelRows fixed, PixelRows ring) {
    area_ = area;
    fixed_ = fixed;
    ring_ = ring;
    patternedRows_.clear();
    for (int y = 0; y < area.height; ++y) {
        const std::uint32_t* row = fixed.Row(area.top + y) + area.left;
        if (!std::all_of(row, row + area.width, [&](std::uint32_t p) { return p == row[0]; })) {
            patternedRows_.push_back(y);
        }
    }
    bare_.assign(patternedRows_.size() * static_cast<std::size_t>(std::max(area.width, 0)), kBare);
    columnsSpan_ = -1;
    valid_ = false;
    start_ = 0;
}

int ChartCanvas::FindStep(const ChartPlot& plot) const {
    const double span = plot.BottomMaximum() - plot.BottomMinimum();
    if (!(span > 0) || span > kLongestSpan || !Integral(plot.BottomMinimum()) ||
        !Integral(plot.BottomMaximum()) ||
        shown_.BottomMaximum() - shown_.BottomMinimum() != span ||
        plot.BackgroundColor() != shown_.BackgroundColor() ||
        plot.GridColor() != shown_.GridColor()) {
        return -1;
    }
    for (int c = 0; c < kChannels; ++c) {
        const ChartPlot::Series& was = shown_.SeriesOf(c);
        const ChartPlot::Series& now = plot.SeriesOf(c);
        if (was.count != now.count) return -1;
        if (now.count == 0) continue;
        const double offset = now.firstX - plot.BottomMinimum();
        if (was.color != now.color || !Integral(offset) ||
            was.firstX - shown_.BottomMinimum() != offset) {
            return -1;
        }
    }
    // The time lines are tied to the data: it can only have moved by a step that keeps them in
    // their places among the points.
    const auto moved = static_cast<long long>(plot.BottomMinimum() - shown_.BottomMinimum());
    const int period = ChartPlot::kSolidTimeLineStep;
    const int first = static_cast<int>((moved % period + period) % period);
    for (int step = first; step <= static_cast<int>(span) / 2; step += period) {
        bool same = true;
        for (int c = 0; c < kChannels && same; ++c) {
            const ChartPlot::Series& was = shown_.SeriesOf(c);
            const ChartPlot::Series& now = plot.SeriesOf(c);
            if (now.count == 0) continue;
            if (step >= now.count) {
                same = false;
                break;
            }
            same = std::memcmp(now.y.data(), was.y.data() + step,
                               static_cast<std::size_t>(now.count - step) * sizeof(float)) == 0;
        }
        if (same) return step;
    }
    return -1;
}

void ChartCanvas::AddRange(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, area_.width);
    if (first >= last) return;
    if (!ranges_.empty() && first <= ranges_.back().last && last >= ranges_.back().first) {
        ranges_.back().first = std::min(ranges_.back().first, first);
        ranges_.back().last = std::max(ranges_.back().last, last);
        return;
    }
    if (ranges_.size() == ranges_.capacity()) {
        whole_ = true;
        return;
    }
    ranges_.push_back({first, last});
}

void ChartCanvas::PlanScroll(const ChartPlot& plot, int step) {
    const int span = static_cast<int>(plot.BottomMaximum() - plot.BottomMinimum());
    // The same for every move of one span: worked out once.
    if (columnsSpan_ != span) {
        columns_.resize(static_cast<std::size_t>(span) + 1);
        plot.TimeColumns(area_, columns_);
        columnsSpan_ = span;
    }
    auto column = [&](int j) { return columns_[static_cast<std::size_t>(std::clamp(j, 0, span))]; };
    step_ = step;
    shift_ = column(step) - column(0);
    whole_ = shift_ <= 0;
    ranges_.clear();
    // The first column lost the line that came into it from the left.
    AddRange(0, column(1) + 2);
    // Where the points' rounding to pixels falls differently after the move, the lines near
    // them are drawn again.
    for (int j = 0; j + step <= span; ++j) {
        if (column(j + step) - column(j) != shift_) AddRange(column(j - 1) - 1, column(j + 1) + 2);
    }
    // The new points, and the time lines that came in at the right.
    for (int c = 0; c < kChannels; ++c) {
        const ChartPlot::Series& s = plot.SeriesOf(c);
        if (s.count == 0) continue;
        const int offset = static_cast<int>(s.firstX - plot.BottomMinimum());
        AddRange(column(offset + s.count - step - 1) - 1, column(offset + s.count - 1) + 2);
    }
    AddRange(column(span - step) - 1, area_.width);
    if (whole_) return;

    std::sort(ranges_.begin(), ranges_.end(),
              [](const ColumnRange& a, const ColumnRange& b) { return a.first < b.first; });
    std::size_t kept = 0;
    int columns = 0;
    for (const ColumnRange& r : ranges_) {
        if (kept > 0 && r.first <= ranges_[kept - 1].last) {
            ranges_[kept - 1].last = std::max(ranges_[kept - 1].last, r.last);
        } else {
            ranges_[kept++] = r;
        }
    }
    ranges_.resize(kept);
    for (const ColumnRange& r : ranges_) columns += r.last - r.first;
    if (columns > area_.width / 2) whole_ = true;
}

bool ChartCanvas::Plan(const ChartPlot& plot) {
    whole_ = true;
    if (valid_ && area_.width > 0) {
        const int step = FindStep(plot);
        if (step == 0) return false;
        if (step > 0) PlanScroll(plot, step);
    }
    if (whole_) {
        ranges_.clear();
        ranges_.push_back({0, std::max(area_.width, 0)});
        step_ = 0;
        shift_ = 0;
    }
    return true;
}

std::pair<int, int> ChartCanvas::PointsFor(const ChartPlot& plot, int channel,
                                           ColumnRange range) const {
    const ChartPlot::Series& s = plot.SeriesOf(channel);
    if (whole_) return {0, s.count};
    const double span = plot.BottomMaximum() - plot.BottomMinimum();
    const double perPoint = (area_.width - 1) / span;
    const int offset = static_cast<int>(s.firstX - plot.BottomMinimum());
    const int low = static_cast<int>(std::floor((range.first - 2) / perPoint)) - 2 - offset;
    const int high = static_cast<int>(std::ceil((range.last + 1) / perPoint)) + 3 - offset;
    return {std::clamp(low, 0, s.count), std::clamp(high, 0, s.count)};
}

bool ChartCanvas::Planned(int px) const {
    if (whole_) return true;
    const int c = px - area_.left;
    return std::any_of(ranges_.begin(), ranges_.end(),
                       [c](const ColumnRange& r) { return c >= r.first - 1 && c <= r.last; });
}

void ChartCanvas::Prepare(PixelRows scratch) const {
    const int top = area_.top, bottom = area_.Bottom(), left = area_.left;
    const std::uint32_t unpainted = unpainted_;
    for (const ColumnRange& r : ranges_) {
        for (int y = top; y < bottom; ++y) {
            CopyPixels(scratch.Row(y) + left + r.first, fixed_.Row(y) + left + r.first,
                       r.last - r.first);
        }
        for (int y : patternedRows_) {
            std::uint32_t* row = scratch.Row(top + y) + left;
            std::fill(row + r.first, row + r.last, unpainted);
        }
    }
}

void ChartCanvas::PutBackFixedRows() {
    const int width = area_.width;
    const int start = start_;
    for (std::size_t g = 0; g < patternedRows_.size(); ++g) {
        const int y = patternedRows_[g];
        PutBackRow(ring_.Row(y), fixed_.Row(area_.top + y) + area_.left,
                   bare_.data() + g * static_cast<std::size_t>(width), width, start);
    }
}

void ChartCanvas::Take(PixelRows scratch, const ChartPlot& plot) {
    const int width = area_.width;
    if (whole_) {
        start_ = 0;
    } else {
        start_ = (start_ + shift_) % width;
        PutBackFixedRows();
    }
    // Locals, not members: the pixel stores below could otherwise change them for all the
    // compiler knows, and it would read them again for every pixel.
    const int start = start_;
    const std::uint32_t unpainted = unpainted_;
    for (const ColumnRange& r : ranges_) {
        // The range in the ring, in at most two runs.
        const int from = (r.first + start) % width;
        const int firstRun = std::min(r.last - r.first, width - from);
        for (int y = 0; y < area_.height; ++y) {
            const std::uint32_t* source = scratch.Row(area_.top + y) + area_.left + r.first;
            std::uint32_t* ring = ring_.Row(y);
            CopyPixels(ring + from, source, firstRun);
            CopyPixels(ring, source + firstRun, r.last - r.first - firstRun);
        }
        for (std::size_t g = 0; g < patternedRows_.size(); ++g) {
            const int y = patternedRows_[g];
            const std::uint32_t* drawn = scratch.Row(area_.top + y) + area_.left;
            const std::uint32_t* fixed = fixed_.Row(area_.top + y) + area_.left;
            std::uint32_t* ring = ring_.Row(y);
            std::uint32_t* bare = bare_.data() + g * static_cast<std::size_t>(width);
            for (int c = r.first; c < r.last; ++c) {
                int p = c + start;
                if (p >= width) p -= width;
                bare[p] = drawn[c] == unpainted ? kBare : 0;
                if (bare[p] != 0) ring[p] = fixed[c];
            }
        }
    }
    shown_ = plot;
    valid_ = true;
}

}  // namespace ts
