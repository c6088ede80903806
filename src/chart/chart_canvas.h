#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "chart/chart_plot.h"

namespace ts {

// Plot columns [first, last), counted from the plot area's left edge.
struct ColumnRange {
    int first = 0, last = 0;
};

// 32-bit pixels, `stride` of them to a row.
struct PixelRows {
    std::uint32_t* bits = nullptr;
    int stride = 0;
    std::uint32_t* Row(int y) const {
        return bits + static_cast<std::ptrdiff_t>(y) * static_cast<std::ptrdiff_t>(stride);
    }
};

// Ring columns [first, last) that a window draws into, the chart's pixel (x, y) landing on the
// ring's (x + dx, y + dy); they show (part of) the planned plot columns `range`.
struct RingPiece {
    int first = 0, last = 0;
    int dx = 0, dy = 0;
    ColumnRange range;
};

// The picture of the plot area, kept between paints so that a chart draws only what changed.
// The points move left as time goes on; rather than drawing six whole series again, the picture
// is kept as a ring of columns whose start moves with the data, and only the columns that a
// plain move would get wrong are drawn: the new ones at the right, and those where the points'
// rounding to pixels falls differently (a span does not take a whole number of pixels a point).
// The fixed parts under the curves (the background, the horizontal grid) stay where they are:
// the dotted rows are put back under every column the curves and time lines leave free. Anything
// but time moving (the span, a colour, a channel, a clear, the size) draws the whole picture.
//
// A window keeps two images of 32-bit pixels: its fixed parts, of the chart's whole size, and the
// ring, of the plot area's. For each change it lets the canvas plan and prepare the ring and set
// the time lines there, draws the curves straight into the ring's pieces with its toolkit, as for
// a whole picture but shifted and clipped to each piece, and lets the canvas finish.
class ChartCanvas {
public:
    // `unpainted` is a pixel the window's drawing never leaves: it tells the columns' fixed rows
    // that the curves left free.
    explicit ChartCanvas(std::uint32_t unpainted);
    // At most this many pieces to draw for one change.
    static constexpr std::size_t kMostPieces = 33;

    // The images were made again or the fixed parts drawn anew: the next plan is a whole picture.
    // The plot area's fixed parts are taken from `fixed` now; it is not read again.
    void Reset(const PlotArea& area, PixelRows fixed, PixelRows ring);
    // The picture is no longer kept: the next plan is a whole one.
    void Forget() { valid_ = false; }
    // Compares `plot` with what the picture shows. False when it already shows it; otherwise
    // Ranges() are the columns to draw.
    bool Plan(const ChartPlot& plot);
    bool Whole() const { return whole_; }
    const std::vector<ColumnRange>& Ranges() const { return ranges_; }
    // Series points [first, last) whose lines reach into `range`.
    std::pair<int, int> PointsFor(const ChartPlot& plot, int channel, ColumnRange range) const;
    // Moves the ring by the planned step and puts the fixed parts into the planned columns; then
    // Pieces() are where the window draws.
    void Prepare();
    const std::vector<RingPiece>& Pieces() const { return pieces_; }
    // The time lines that fall into the pieces, set in the ring's pixels: a solid line whole, a
    // dotted one a pixel in three from the top, as the toolkits' dotted pens draw them, and far
    // quicker than a pen sets a column of pixels.
    void DrawTimeLines(const ChartPlot& plot, std::uint32_t gridPixel);
    // After the window drew: puts the dotted rows back where nothing was drawn over them. From
    // then on the picture shows `plot`.
    void Take(const ChartPlot& plot);
    // The ring's column shown at the plot area's left edge.
    int Start() const { return start_; }

private:
    int FindStep(const ChartPlot& plot) const;
    void AddRange(int first, int last);
    void PlanScroll(const ChartPlot& plot, int step);
    void PutBackFixedRows();

    std::uint32_t unpainted_;
    PlotArea area_;
    PixelRows ring_;
    // What each row of the plot's fixed parts is: one colour across, or (the dotted grid) a
    // pattern that must be put back in its place under a column that moved.
    std::vector<std::uint32_t> rowFill_;  // per row; `unpainted_` for a patterned row
    std::vector<int> patternedRows_;
    std::vector<std::uint32_t> patterns_;  // the different patterns, each across the plot
    std::vector<std::size_t> patternOf_;   // per patterned row, where its pattern starts there
    // Per patterned row and ring column: kBare where nothing was drawn over the fixed row.
    std::vector<std::uint8_t> bare_;
    ChartPlot shown_;
    bool valid_ = false;
    bool whole_ = true;
    int step_ = 0;   // points the data moved
    int shift_ = 0;  // pixels the ring moves
    int start_ = 0;
    std::vector<ColumnRange> ranges_;
    std::vector<RingPiece> pieces_;
    // Of each point of the span now and as the picture shows it, for the plans.
    std::vector<int> columns_, shownColumns_;
};

}  // namespace ts
