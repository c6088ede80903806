#include "review_chart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "review/review_model.h"

namespace ts::win32 {

namespace {

COLORREF Ref(Color color) { return static_cast<COLORREF>(color); }

// The axis labels are digits and signs only: widened in place, without an allocation a frame.
struct AsciiText {
    wchar_t text[32] = {};
    int length = 0;
    explicit AsciiText(std::string_view ascii) {
        for (const char c : ascii.substr(0, 31)) text[length++] = static_cast<wchar_t>(c);
    }
};

// A pen or brush made for one paint and deleted after it.
struct Gdi {
    HGDIOBJ object;
    explicit Gdi(HGDIOBJ o) : object(o) {}
    ~Gdi() { DeleteObject(object); }
    Gdi(const Gdi&) = delete;
    Gdi& operator=(const Gdi&) = delete;
};

// One paint's plot: where in the bitmap a moment and a value of the model fall.
struct Plot {
    HDC dc;
    RECT area;
    int width, height;
    const ReviewModel& model;
    int axis;  // the channel whose values the value lines give

    int X(double fraction) const {
        return area.left + static_cast<int>(std::lround(fraction * width));
    }
    int Y(int channel, double value) const {
        const double h = model.HeightOf(channel, value) * height;
        // Far off the plot stays far off without leaving GDI's coordinates.
        return area.bottom - static_cast<int>(std::lround(std::clamp(h, -1e6, 1e6)));
    }
    // The stretch of the plot between two moments, cut to the plot.
    RECT Across(std::int64_t fromNs, std::int64_t toNs) const {
        return {std::max<LONG>(X(model.FractionOf(fromNs)), area.left), area.top,
                std::min<LONG>(X(model.FractionOf(toNs)), area.right), area.bottom};
    }
};

// The gaps of a cut recording, hatched.
void HatchGaps(const Plot& plot, Color grid, Color background) {
    const Gdi hatch(CreateHatchBrush(HS_BDIAGONAL, Ref(grid)));
    SetBkColor(plot.dc, Ref(background));
    for (const review::Gap& gap : plot.model.Gaps()) {
        const RECT r = plot.Across(gap.fromNs, gap.toNs);
        if (r.right > r.left) FillRect(plot.dc, &r, static_cast<HBRUSH>(hatch.object));
    }
}

// The dotted time and value lines.
void DrawGridLines(const Plot& plot, Color grid, std::span<const TimeTick> ticks,
                   std::span<const double> levels) {
    const Gdi dotted(CreatePen(PS_DOT, 1, Ref(grid)));
    const HGDIOBJ oldPen = SelectObject(plot.dc, dotted.object);
    for (const TimeTick& tick : ticks) {
        const int x = plot.X(tick.at);
        MoveToEx(plot.dc, x, plot.area.top, nullptr);
        LineTo(plot.dc, x, plot.area.bottom);
    }
    for (const double level : levels) {
        const int y = plot.Y(plot.axis, level);
        MoveToEx(plot.dc, plot.area.left, y, nullptr);
        LineTo(plot.dc, plot.area.right, y);
    }
    SelectObject(plot.dc, oldPen);
}

// One channel's curve: per column, the stretch from its minimum to its maximum, joined at the
// means. `line` is the points' room, kept from paint to paint.
void DrawCurve(const Plot& plot, std::span<const review::ColumnValue> values, int c,
               std::vector<POINT>& line) {
    const HDC dc = plot.dc;
    const Color color = plot.model.form().PanelColor_CurveCH[std::size_t(c)];
    const Gdi pen(CreatePen(PS_SOLID, 1, Ref(color)));
    const HGDIOBJ oldPen = SelectObject(dc, pen.object);
    line.clear();
    const auto flush = [&] {
        if (line.size() == 1) SetPixel(dc, line[0].x, line[0].y, Ref(color));
        if (line.size() > 1) Polyline(dc, line.data(), static_cast<int>(line.size()));
        line.clear();
    };
    int last = -1;
    for (int x = 0; x < plot.width; ++x) {
        const review::ColumnValue& v = values[std::size_t(x) * kChannels + std::size_t(c)];
        if (v.count == 0 || !std::isfinite(v.mean)) continue;
        // Not across the gap where a cut recording was carried on.
        if (last >= 0 && plot.model.GapBetween(last, x, plot.width)) flush();
        last = x;
        const int px = plot.area.left + x;
        if (v.max > v.min) {
            MoveToEx(dc, px, plot.Y(c + 1, v.min), nullptr);
            LineTo(dc, px, plot.Y(c + 1, v.max) - 1);
        }
        line.push_back({px, plot.Y(c + 1, v.mean)});
    }
    flush();
    SelectObject(dc, oldPen);
}

void DrawCursor(const Plot& plot) {
    const auto at = plot.model.CursorAt();
    if (!at || *at < 0 || *at > 1) return;
    const Gdi pen(CreatePen(PS_DASH, 1, RGB(255, 255, 255)));
    const HGDIOBJ oldPen = SelectObject(plot.dc, pen.object);
    MoveToEx(plot.dc, plot.X(*at), plot.area.top, nullptr);
    LineTo(plot.dc, plot.X(*at), plot.area.bottom);
    SelectObject(plot.dc, oldPen);
}

// Whose values the axis gives, in its colour in the plot's corner: every other channel has a
// scale of its own.
void DrawAxisName(const Plot& plot, int line, UINT dpi) {
    if (plot.axis <= 0) return;
    const wchar_t name[] = {L'C', L'H', static_cast<wchar_t>(L'0' + plot.axis)};
    ::SetTextColor(
        plot.dc,
        Ref(plot.model.form().PanelColor_CurveCH[static_cast<std::size_t>(plot.axis - 1)]));
    RECT r{plot.area.left + Scaled(4, dpi), plot.area.top + Scaled(2, dpi),
           plot.area.left + Scaled(64, dpi), plot.area.top + Scaled(2, dpi) + line};
    DrawTextW(plot.dc, name, 3, &r, DT_LEFT | DT_TOP | DT_SINGLELINE);
}

// The values of the value lines, left of the plot.
void DrawValueLabels(const Plot& plot, std::span<const double> levels, int line, UINT dpi) {
    char number[32];
    for (const double level : levels) {
        const std::size_t n = ReviewModel::FormatAxisValue(level, number);
        const AsciiText text(std::string_view(number, n));
        const int y = plot.Y(plot.axis, level);
        RECT r{0, y - line, plot.area.left - Scaled(4, dpi), y + line};
        DrawTextW(plot.dc, text.text, text.length, &r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
}

// Under each time line, its clock time and the time since the start.
void DrawTimeLabels(const Plot& plot, std::span<const TimeTick> ticks, int line, UINT dpi) {
    const RECT& area = plot.area;
    for (const TimeTick& tick : ticks) {
        const int x = plot.X(tick.at);
        const int half = Scaled(60, dpi);
        RECT clock{x - half, area.bottom + 3, x + half, area.bottom + 3 + line};
        const AsciiText clockText(tick.clock.data());
        DrawTextW(plot.dc, clockText.text, clockText.length, &clock,
                  DT_CENTER | DT_TOP | DT_SINGLELINE);
        RECT elapsed{x - half, area.bottom + 3 + line, x + half, area.bottom + 3 + 2 * line};
        const AsciiText elapsedText(tick.elapsed.data());
        DrawTextW(plot.dc, elapsedText.text, elapsedText.length, &elapsed,
                  DT_CENTER | DT_TOP | DT_SINGLELINE);
    }
}

void DrawFrame(const Plot& plot, Color grid) {
    const Gdi frame(CreatePen(PS_SOLID, 1, Ref(grid)));
    const HGDIOBJ oldPen = SelectObject(plot.dc, frame.object);
    const HGDIOBJ oldBrush = SelectObject(plot.dc, GetStockObject(NULL_BRUSH));
    Rectangle(plot.dc, plot.area.left, plot.area.top, plot.area.right, plot.area.bottom);
    SelectObject(plot.dc, oldBrush);
    SelectObject(plot.dc, oldPen);
}

}  // namespace

// Mixes `percent` of `color` (0x00RRGGBB) into the pixels of `r`: GDI has no blending of its own
// that the system always loads.
void ReviewChart::Shade(RECT r, std::uint32_t color, int percent) {
    GdiFlush();
    r.left = std::max<LONG>(r.left, 0);
    r.right = std::min<LONG>(r.right, width_);
    r.top = std::max<LONG>(r.top, 0);
    r.bottom = std::min<LONG>(r.bottom, height_);
    for (LONG y = r.top; y < r.bottom; ++y) {
        std::uint32_t* row =
            picture_.Bits() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
        for (LONG x = r.left; x < r.right; ++x) {
            std::uint32_t mixed = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int a = static_cast<int>((row[x] >> shift) & 0xFF);
                const int b = static_cast<int>((color >> shift) & 0xFF);
                mixed |= static_cast<std::uint32_t>(a + (b - a) * percent / 100) << shift;
            }
            row[x] = mixed;
        }
    }
}

void ReviewChart::Render() {
    if (picture_.Dc() == nullptr) return;
    const HDC dc = picture_.Dc();
    const RECT all{0, 0, width_, height_};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    const RECT area = PlotRect();
    {
        const Gdi back(CreateSolidBrush(Ref(background_)));
        FillRect(dc, &area, static_cast<HBRUSH>(back.object));
    }
    valid_ = true;
    if (model_ == nullptr) return;
    const int plotWidth = std::max<int>(area.right - area.left, 1);
    // Columns first: they set the vertical range the lines and labels follow.
    const auto values = model_->Columns(plotWidth);
    const Plot plot{dc,        area,
                    plotWidth, std::max<int>(area.bottom - area.top, 1),
                    *model_,   model_->AxisChannel()};

    const HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    HatchGaps(plot, grid_, background_);
    if (model_->HasSelection()) {
        const RECT r = plot.Across(model_->SelectionFromNs(), model_->SelectionToNs());
        if (r.right > r.left) Shade(r, 0x8080FF, 28);
    }
    std::array<TimeTick, ReviewModel::kMaxTicks> tickRoom;
    const auto ticks = std::span<const TimeTick>(tickRoom).first(
        static_cast<std::size_t>(model_->TimeTicks(tickRoom)));
    std::array<double, ReviewModel::kMaxValueTicks> levelRoom;
    const auto levels = std::span<const double>(levelRoom).first(
        static_cast<std::size_t>(model_->ValueTicks(levelRoom)));
    DrawGridLines(plot, grid_, ticks, levels);

    // What lies inside the plot, the curves far off it cut away.
    const HRGN clip = CreateRectRgn(area.left, area.top, area.right, area.bottom);
    SelectClipRgn(dc, clip);
    for (int c = 0; c < kChannels; ++c) {
        if (model_->ChannelShown(c + 1)) DrawCurve(plot, values, c, line_);
    }
    DrawCursor(plot);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);

    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int line = metrics.tmHeight;
    DrawAxisName(plot, line, dpi_);
    // Labels outside the plot.
    ::SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawValueLabels(plot, levels, line, dpi_);
    DrawTimeLabels(plot, ticks, line, dpi_);
    DrawFrame(plot, grid_);
    SelectObject(dc, oldFont);
}

}  // namespace ts::win32
