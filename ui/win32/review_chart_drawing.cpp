#include "review_chart.h"

#include <algorithm>
#include <array>
#include <cmath>

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
    const int plotHeight = std::max<int>(area.bottom - area.top, 1);
    const auto xOf = [&](double fraction) {
        return area.left + static_cast<int>(std::lround(fraction * plotWidth));
    };
    const auto values = model_->Columns(plotWidth);
    const auto yOf = [&](int channel, double value) {
        const double height = model_->HeightOf(channel, value) * plotHeight;
        // Far off the plot stays far off without leaving GDI's coordinates.
        return area.bottom - static_cast<int>(std::lround(std::clamp(height, -1e6, 1e6)));
    };
    const int axis = model_->AxisChannel();

    const HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    {
        const Gdi hatch(CreateHatchBrush(HS_BDIAGONAL, Ref(grid_)));
        SetBkColor(dc, Ref(background_));
        for (const review::Gap& gap : model_->Gaps()) {
            RECT r{std::max<LONG>(xOf(model_->FractionOf(gap.fromNs)), area.left), area.top,
                   std::min<LONG>(xOf(model_->FractionOf(gap.toNs)), area.right), area.bottom};
            if (r.right > r.left) FillRect(dc, &r, static_cast<HBRUSH>(hatch.object));
        }
    }
    if (model_->HasSelection()) {
        const RECT r{std::max<LONG>(xOf(model_->FractionOf(model_->SelectionFromNs())), area.left),
                     area.top,
                     std::min<LONG>(xOf(model_->FractionOf(model_->SelectionToNs())), area.right),
                     area.bottom};
        if (r.right > r.left) Shade(r, 0x8080FF, 28);
    }

    std::array<TimeTick, ReviewModel::kMaxTicks> ticks;
    const int tickCount = model_->TimeTicks(ticks);
    std::array<double, ReviewModel::kMaxValueTicks> levels;
    const int levelCount = model_->ValueTicks(levels);
    {
        const Gdi dotted(CreatePen(PS_DOT, 1, Ref(grid_)));
        const HGDIOBJ oldPen = SelectObject(dc, dotted.object);
        for (int i = 0; i < tickCount; ++i) {
            const int x = xOf(ticks[std::size_t(i)].at);
            MoveToEx(dc, x, area.top, nullptr);
            LineTo(dc, x, area.bottom);
        }
        for (int i = 0; i < levelCount; ++i) {
            const int y = yOf(axis, levels[std::size_t(i)]);
            MoveToEx(dc, area.left, y, nullptr);
            LineTo(dc, area.right, y);
        }
        SelectObject(dc, oldPen);
    }

    // The curves: per column, the stretch from its minimum to its maximum, joined at the means.
    const HRGN clip = CreateRectRgn(area.left, area.top, area.right, area.bottom);
    SelectClipRgn(dc, clip);
    for (int c = 0; c < kChannels; ++c) {
        if (!model_->ChannelShown(c + 1)) continue;
        const Gdi pen(CreatePen(PS_SOLID, 1, Ref(model_->form.PanelColor_CurveCH[std::size_t(c)])));
        const HGDIOBJ oldPen = SelectObject(dc, pen.object);
        line_.clear();
        const auto flush = [&] {
            if (line_.size() == 1)
                SetPixel(dc, line_[0].x, line_[0].y,
                         Ref(model_->form.PanelColor_CurveCH[std::size_t(c)]));
            if (line_.size() > 1) Polyline(dc, line_.data(), static_cast<int>(line_.size()));
            line_.clear();
        };
        int last = -1;
        for (int x = 0; x < plotWidth; ++x) {
            const review::ColumnValue& v = values[std::size_t(x) * kChannels + std::size_t(c)];
            if (v.count == 0 || !std::isfinite(v.mean)) continue;
            // Not across the gap where a cut recording was carried on.
            if (last >= 0 && model_->GapBetween(last, x, plotWidth)) flush();
            last = x;
            const int px = area.left + x;
            if (v.max > v.min) {
                MoveToEx(dc, px, yOf(c + 1, v.min), nullptr);
                LineTo(dc, px, yOf(c + 1, v.max) - 1);
            }
            line_.push_back({px, yOf(c + 1, v.mean)});
        }
        flush();
        SelectObject(dc, oldPen);
    }
    if (const auto at = model_->CursorAt(); at && *at >= 0 && *at <= 1) {
        const Gdi pen(CreatePen(PS_DASH, 1, RGB(255, 255, 255)));
        const HGDIOBJ oldPen = SelectObject(dc, pen.object);
        MoveToEx(dc, xOf(*at), area.top, nullptr);
        LineTo(dc, xOf(*at), area.bottom);
        SelectObject(dc, oldPen);
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);

    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int line = metrics.tmHeight;
    if (axis > 0) {
        // Whose values the axis gives, in its colour in the plot's corner: every other channel
        // has a scale of its own.
        const wchar_t name[] = {L'C', L'H', static_cast<wchar_t>(L'0' + axis)};
        ::SetTextColor(dc,
                       Ref(model_->form.PanelColor_CurveCH[static_cast<std::size_t>(axis - 1)]));
        RECT r{area.left + Scaled(4, dpi_), area.top + Scaled(2, dpi_),
               area.left + Scaled(64, dpi_), area.top + Scaled(2, dpi_) + line};
        DrawTextW(dc, name, 3, &r, DT_LEFT | DT_TOP | DT_SINGLELINE);
    }

    // Labels outside the plot.
    ::SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    char number[32];
    for (int i = 0; i < levelCount; ++i) {
        const std::size_t n = ReviewModel::FormatAxisValue(levels[std::size_t(i)], number);
        const AsciiText text(std::string_view(number, n));
        const int y = yOf(axis, levels[std::size_t(i)]);
        RECT r{0, y - line, area.left - Scaled(4, dpi_), y + line};
        DrawTextW(dc, text.text, text.length, &r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
    for (int i = 0; i < tickCount; ++i) {
        const TimeTick& tick = ticks[std::size_t(i)];
        const int x = xOf(tick.at);
        const int half = Scaled(60, dpi_);
        RECT clock{x - half, area.bottom + 3, x + half, area.bottom + 3 + line};
        const AsciiText clockText(tick.clock.data());
        DrawTextW(dc, clockText.text, clockText.length, &clock, DT_CENTER | DT_TOP | DT_SINGLELINE);
        RECT elapsed{x - half, area.bottom + 3 + line, x + half, area.bottom + 3 + 2 * line};
        const AsciiText elapsedText(tick.elapsed.data());
        DrawTextW(dc, elapsedText.text, elapsedText.length, &elapsed,
                  DT_CENTER | DT_TOP | DT_SINGLELINE);
    }
    {
        const Gdi frame(CreatePen(PS_SOLID, 1, Ref(grid_)));
        const HGDIOBJ oldPen = SelectObject(dc, frame.object);
        const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, area.left, area.top, area.right, area.bottom);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
    }
    SelectObject(dc, oldFont);
}

}  // namespace ts::win32
