#include "chart/chart_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ts {

namespace {

// More columns to draw than this share of the plot, or a step of more than half the span, and
// the whole picture costs no more.
constexpr int kMostRanges = 32;
// A range that the ring's wrap cuts is two pieces; only one range can be cut.
static_assert(ChartCanvas::kMostPieces == kMostRanges + 1);
constexpr int kLongestSpan = 2048;
// A pixel of the fixed rows that nothing was drawn over, as a mask of one byte: a quarter of the
// memory a pixel takes, read for every patterned pixel at every move.
constexpr std::uint8_t kBare = 0xFF;

std::uint32_t MaskOf(std::uint8_t bare) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int8_t>(bare)));
}

bool Integral(double value) { return std::floor(value) == value; }

// One fixed row put back under the ring's bare pixels: ring column p shows plot column
// p - start, in two runs. Nothing here may alias, and nothing is read through the canvas, so
// that the compiler does several pixels at once.
void PutBackRow(std::uint32_t* __restrict ring, const std::uint32_t* __restrict fixed,
                const std::uint8_t* __restrict bare, int width, int start) {
    for (int p = start; p < width; ++p) {
        const std::uint32_t mask = MaskOf(bare[p]);
        ring[p] = (ring[p] & ~mask) | (fixed[p - start] & mask);
    }
    for (int p = 0; p < start; ++p) {
        const std::uint32_t mask = MaskOf(bare[p]);
        ring[p] = (ring[p] & ~mask) | (fixed[p + width - start] & mask);
    }
}

}  // namespace

ChartCanvas::ChartCanvas(std::uint32_t unpainted) : unpainted_(unpainted) {
    ranges_.reserve(kMostRanges);
    pieces_.reserve(kMostPieces);
    columns_.reserve(kLongestSpan + 1);
    shownColumns_.reserve(kLongestSpan + 1);
}

void ChartCanvas::Reset(const PlotArea& area, PixelRows fixed, PixelRows ring) {
    area_ = area;
    ring_ = ring;
    const int width = std::max(area.width, 0);
    rowFill_.assign(static_cast<std::size_t>(std::max(area.height, 0)), unpainted_);
    patternedRows_.clear();
    patternOf_.clear();
    patterns_.clear();
    const auto rowWidth = static_cast<std::size_t>(width);
    for (int y = 0; y < area.height; ++y) {
        const std::uint32_t* row = fixed.Row(area.top + y) + area.left;
        if (std::all_of(row, row + width, [&](std::uint32_t p) { return p == row[0]; })) {
            rowFill_[static_cast<std::size_t>(y)] = width > 0 ? row[0] : unpainted_;
            continue;
        }
        patternedRows_.push_back(y);
        // The dotted rows are alike: kept once, they stay in the processor's nearest cache.
        std::size_t same = 0;
        while (same < patterns_.size() / rowWidth &&
               !std::equal(row, row + width, patterns_.begin() + same * rowWidth)) {
            ++same;
        }
        if (same == patterns_.size() / rowWidth)
            patterns_.insert(patterns_.end(), row, row + width);
        patternOf_.push_back(same * rowWidth);
    }
    bare_.assign(patternedRows_.size() * rowWidth, kBare);
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
    // The columns of the points now and where the picture shows them: a point j now was point
    // j + step then.
    columns_.resize(static_cast<std::size_t>(span) + 1);
    shownColumns_.resize(static_cast<std::size_t>(span) + 1);
    plot.TimeColumns(area_, columns_);
    shown_.TimeColumns(area_, shownColumns_);
    auto clamped = [&](int j) { return static_cast<std::size_t>(std::clamp(j, 0, span)); };
    auto column = [&](int j) { return columns_[clamped(j)]; };
    auto shownColumn = [&](int j) { return shownColumns_[clamped(j)]; };
    step_ = step;
    shift_ = shownColumn(step) - column(0);
    whole_ = shift_ <= 0;
    ranges_.clear();
    // The first column lost the line that came into it from the left.
    AddRange(0, column(1) + 2);
    // Where a point does not move by the picture's shift (its rounding to pixels falls
    // differently, as when the axis wraps round to its start), the lines near it are drawn again.
    for (int j = 0; j + step <= span; ++j) {
        if (shownColumn(j + step) - column(j) != shift_) {
            AddRange(column(j - 1) - 1, column(j + 1) + 2);
        }
    }
    // The new points, and the time lines that came in at the right.
    for (int c = 0; c < kChannels; ++c) {
        const ChartPlot::Series& s = plot.SeriesOf(c);
        if (s.count == 0) continue;
        const int offset = static_cast<int>(s.firstX - plot.BottomMinimum());
        AddRange(column(offset + s.count - step - 1) - 1, column(offset + s.count - 1) + 2);
    }
    AddRange(std::min(column(span - step), shownColumn(span) - shift_) - 1, area_.width);
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

void ChartCanvas::Prepare() {
    const int width = area_.width;
    if (whole_) {
        start_ = 0;
    } else {
        start_ = (start_ + shift_) % width;
        PutBackFixedRows();
    }
    const int start = start_;
    pieces_.clear();
    // A range in the ring, in at most two pieces: the second where the ring wraps round.
    const int dx = start - area_.left, dy = -area_.top;
    for (const ColumnRange& r : ranges_) {
        const int from = r.first + start;
        if (from < width) pieces_.push_back({from, std::min(r.last + start, width), dx, dy, r});
        if (r.last + start > width) {
            pieces_.push_back(
                {std::max(from - width, 0), r.last + start - width, dx - width, dy, r});
        }
    }
    // Nothing is read here: the fixed rows are one colour each, the dotted ones are left for the
    // drawing to show what it leaves free.
    const int height = area_.height;
    for (const RingPiece& piece : pieces_) {
        const int count = piece.last - piece.first;
        for (int y = 0; y < height; ++y) {
            std::uint32_t* ring = ring_.Row(y) + piece.first;
            const std::uint32_t fill = rowFill_[static_cast<std::size_t>(y)];
            for (int i = 0; i < count; ++i) ring[i] = fill;
        }
    }
}

void ChartCanvas::DrawTimeLines(const ChartPlot& plot, std::uint32_t gridPixel) {
    const int height = area_.height;
    plot.ForEachTimeLine(area_, [&](int px, bool solid) {
        for (const RingPiece& piece : pieces_) {
            const int x = px + piece.dx;
            if (x < piece.first || x >= piece.last) continue;
            for (int y = 0; y < height; y += solid ? 1 : 3) ring_.Row(y)[x] = gridPixel;
        }
    });
}

void ChartCanvas::PutBackFixedRows() {
    const int width = area_.width;
    const int start = start_;
    for (std::size_t g = 0; g < patternedRows_.size(); ++g) {
        PutBackRow(ring_.Row(patternedRows_[g]), patterns_.data() + patternOf_[g],
                   bare_.data() + g * static_cast<std::size_t>(width), width, start);
    }
}

void ChartCanvas::Take(const ChartPlot& plot) {
    const int width = area_.width;
    // Locals, not members: the pixel stores below could otherwise change them for all the
    // compiler knows, and it would read them again for every pixel.
    const int left = area_.left;
    const std::uint32_t unpainted = unpainted_;
    for (std::size_t g = 0; g < patternedRows_.size(); ++g) {
        std::uint32_t* __restrict ring = ring_.Row(patternedRows_[g]);
        const std::uint32_t* __restrict fixed = patterns_.data() + patternOf_[g];
        std::uint8_t* __restrict bare = bare_.data() + g * static_cast<std::size_t>(width);
        for (const RingPiece& piece : pieces_) {
            // Ring column p shows the chart's pixel p - dx, plot column p - dx - left.
            const int toColumn = -(piece.dx + left);
            for (int p = piece.first; p < piece.last; ++p) {
                const bool free = ring[p] == unpainted;
                bare[p] = free ? kBare : std::uint8_t{0};
                if (free) ring[p] = fixed[p + toColumn];
            }
        }
    }
    shown_ = plot;
    valid_ = true;
}

}  // namespace ts
