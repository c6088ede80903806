#include "strip_chart.h"

#include <algorithm>

#include "base/texts.h"
#include "platform/windows/wide_text.h"

namespace ts::win32 {

StripChart::StripChart() : clip_(CreateRectRgn(0, 0, 0, 0)), pieceClip_(CreateRectRgn(0, 0, 0, 0)) {
    mapped_.reserve(ChartPlot::kMaxPoints);
    counts_.reserve(ChartCanvas::kMostPieces);
}

StripChart::~StripChart() {
    for (SeriesPen& s : pens_) {
        if (s.pen != nullptr) DeleteObject(s.pen);
    }
    if (majorPen_ != nullptr) DeleteObject(majorPen_);
    if (backgroundBrush_ != nullptr) DeleteObject(backgroundBrush_);
    DeleteObject(clip_);
    DeleteObject(pieceClip_);
}

void StripChart::Create(HWND parent, Place place, UINT dpi, HFONT font) {
    place_ = place;
    dpi_ = dpi;
    font_ = font;
    MakeGridPens();
    const RECT r{Scaled(place.x, dpi), Scaled(place.y, dpi), Scaled(place.x + place.width, dpi),
                 Scaled(place.y + place.height, dpi)};
    CreateWindowOf(L"TsStripChart", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, parent, L"", r);
}

void StripChart::SetDpi(UINT dpi, HFONT font) {
    dpi_ = dpi;
    font_ = font;
    SetWindowPos(hwnd(), nullptr, Scaled(place_.x, dpi), Scaled(place_.y, dpi),
                 Scaled(place_.width, dpi), Scaled(place_.height, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    fixedValid_ = false;
    Changed(true);
}

void StripChart::SetBottomMinimum(double value) {
    if (plot_.SetBottomMinimum(value)) Changed();
}

void StripChart::SetBottomMaximum(double value) {
    if (plot_.SetBottomMaximum(value)) Changed();
}

void StripChart::EmptySeries(int channel) {
    if (plot_.EmptySeries(channel)) Changed();
}

void StripChart::SetSeries(int channel, double firstX, std::span<const float> y, Color color) {
    plot_.SetSeries(channel, firstX, y, color);
    Changed();
}

void StripChart::SetBackgroundColor(Color color) {
    if (!plot_.SetBackgroundColor(color)) return;
    fixedValid_ = false;
    Changed(true);
}

void StripChart::SetGridColor(Color color) {
    if (!plot_.SetGridColor(color)) return;
    MakeGridPens();
    fixedValid_ = false;
    Changed(true);
}

void StripChart::Changed(bool whole) {
    // Painted once when the message loop comes round, however many changes came first; the
    // system is asked once too (each request is a round trip to it), for the plot area alone
    // when only what is in it moved.
    if (hwnd() == nullptr) return;
    if (whole) {
        InvalidateRect(hwnd(), nullptr, FALSE);
        invalidated_ = true;
        frameOwed_ = true;
    } else if (!invalidated_) {
        const RECT plot = PlotRect();
        InvalidateRect(hwnd(), &plot, FALSE);
        invalidated_ = true;
    }
}

void StripChart::MakeGridPens() {
    if (majorPen_ != nullptr) DeleteObject(majorPen_);
    majorPen_ = CreatePen(PS_SOLID, 0, static_cast<COLORREF>(plot_.GridColor()));
}

RECT StripChart::PlotRect() const {
    const PlotArea a = Area();
    return RECT{a.left, a.top, a.Right(), a.Bottom()};
}

void StripChart::MakeBitmaps() {
    // Our own pixels: the dotted grid lines are set in them one by one.
    const HDC screen = GetDC(hwnd());
    fixed_.Make(screen, width_, height_);
    const PlotArea area = Area();
    ring_.Make(screen, area.width, area.height);
    ReleaseDC(hwnd(), screen);
    fixedValid_ = false;
}

void StripChart::DrawFixedParts(HDC dc) const {
    const RECT all{0, 0, width_, height_};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    const RECT r = PlotRect();
    FillRect(dc, &r, backgroundBrush_);

    // Horizontal grid: major every 10 %, four minor lines between, dotted.
    const HGDIOBJ oldPen = SelectObject(dc, majorPen_);
    const HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int textHeight = metrics.tmHeight;
    for (const PercentLine& line : plot_.PercentLines(Area())) {
        const int y = line.y;
        if (!line.major) continue;  // dotted, set in the pixels afterwards
        MoveToEx(dc, r.left, y, nullptr);
        LineTo(dc, r.right, y);
        const std::wstring label = Widen(ChartPlot::PercentLabel(line.percent));
        RECT left{0, y - textHeight / 2, Scaled(ChartPlot::kLeftAxisWidth, dpi_) - Scaled(3, dpi_),
                  y - textHeight / 2 + textHeight};
        DrawTextW(dc, label.c_str(), -1, &left, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        RECT right{r.right + Scaled(3, dpi_), y - textHeight / 2, width_,
                   y - textHeight / 2 + textHeight};
        DrawTextW(dc, label.c_str(), -1, &right, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }

    // The axis title's trailing blanks push it to the left, so they are laid out, not trimmed.
    const std::wstring title = Widen(text::kBottomAxisTitle);
    RECT titleRect{r.left, r.bottom + Scaled(5, dpi_), r.right, height_};
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &titleRect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldPen);
}

void StripChart::DrawMinorRows(PixelRows fixed) const {
    // One pixel drawn, two left out, as the Qt window's dotted lines and the time lines: a styled
    // pen's dots are as long as the system's style unit, three pixels under wine.
    const RECT r = PlotRect();
    const std::uint32_t grid = PixelOf(plot_.GridColor());
    for (const PercentLine& line : plot_.PercentLines(Area())) {
        if (line.major || line.y < 0 || line.y >= height_) continue;
        std::uint32_t* row = fixed.Row(line.y);
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, width_); x += 3) {
            row[x] = grid;
        }
    }
}

void StripChart::DrawCurves(HDC dc, std::span<const RingPiece> pieces) {
    // One pixel wide: wide lines are slow to stroke.
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    const PlotArea area = Area();
    for (int c = 0; c < kChannels; ++c) {
        const ChartPlot::Series& s = plot_.SeriesOf(c);
        if (s.count < 1) continue;
        SeriesPen& pen = pens_[static_cast<std::size_t>(c)];
        if (pen.pen == nullptr || pen.color != s.color) {
            if (pen.pen != nullptr) DeleteObject(pen.pen);
            pen.pen = CreatePen(PS_SOLID, 0, static_cast<COLORREF>(s.color));
            pen.color = s.color;
        }
        SelectObject(dc, pen.pen);
        if (s.count == 1) {
            plot_.MapSeries(area, c, mapped_);
            SetPixelV(dc, mapped_[0].x, mapped_[0].y, static_cast<COLORREF>(s.color));
            continue;
        }
        // Each range's lines end outside it, and the clip leaves them only its own columns.
        mapped_.clear();
        counts_.clear();
        for (const RingPiece& piece : pieces) {
            const auto [first, last] = canvas_.PointsFor(plot_, c, piece.range);
            if (last - first < 2) continue;
            plot_.AppendSeries(area, c, mapped_, first, last);
            counts_.push_back(static_cast<DWORD>(last - first));
        }
        if (!counts_.empty()) {
            PolyPolyline(dc, mapped_.data(), counts_.data(), static_cast<DWORD>(counts_.size()));
        }
    }
    SelectObject(dc, oldPen);
}

void StripChart::Render() {
    if (ring_.Dc() == nullptr) MakeBitmaps();
    const PlotArea area = Area();
    const PixelRows fixed{fixed_.Bits(), width_}, ring{ring_.Bits(), area.width};
    if (!fixedValid_) {
        if (backgroundBrush_ != nullptr) DeleteObject(backgroundBrush_);
        backgroundBrush_ = CreateSolidBrush(static_cast<COLORREF>(plot_.BackgroundColor()));
        DrawFixedParts(fixed_.Dc());
        GdiFlush();
        DrawMinorRows(fixed);
        if (area.width > 0 && area.height > 0) canvas_.Reset(area, fixed, ring);
        fixedValid_ = true;
    }
    if (area.width <= 0 || area.height <= 0 || !canvas_.Plan(plot_)) return;
    GdiFlush();  // the system's drawing is done before the pixels are touched
    canvas_.Prepare();
    // Straight into the ring: each piece clipped, and shifted to where its columns are kept.
    const std::vector<RingPiece>& pieces = canvas_.Pieces();
    canvas_.DrawTimeLines(plot_, PixelOf(plot_.GridColor()));
    // The pieces on either side of the ring's wrap share a shift: each side takes one clip, and
    // each curve there one call for all its ranges, as a call to the system costs more than the
    // few lines it draws.
    const HDC dc = ring_.Dc();
    for (std::size_t from = 0; from < pieces.size();) {
        std::size_t to = from;
        SetRectRgn(clip_, 0, 0, 0, 0);
        for (; to < pieces.size() && pieces[to].dx == pieces[from].dx; ++to) {
            SetRectRgn(pieceClip_, pieces[to].first, 0, pieces[to].last, area.height);
            CombineRgn(clip_, clip_, pieceClip_, RGN_OR);
        }
        SelectClipRgn(dc, clip_);
        SetViewportOrgEx(dc, pieces[from].dx, pieces[from].dy, nullptr);
        DrawCurves(dc, std::span(pieces).subspan(from, to - from));
        from = to;
    }
    SelectClipRgn(dc, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    GdiFlush();
    canvas_.Take(plot_);
}

void StripChart::Show(HDC dc, const RECT& area) {
    // The frame only where the paint reaches beyond the plot; the plot from the ring, whose
    // start moves with the data, in two pieces.
    const RECT r = PlotRect();
    if (area.left < r.left || area.top < r.top || area.right > r.right || area.bottom > r.bottom) {
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, fixed_.Dc(),
               area.left, area.top, SRCCOPY);
    }
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return;
    const int start = canvas_.Start();
    BitBlt(dc, r.left, r.top, width - start, height, ring_.Dc(), start, 0, SRCCOPY);
    if (start > 0) BitBlt(dc, r.right - start, r.top, start, height, ring_.Dc(), 0, 0, SRCCOPY);
}

void StripChart::PaintTo(HDC dc) {
    Render();
    Show(dc, RECT{0, 0, width_, height_});
}

void StripChart::Redraw() {
    Render();
    const HDC screen = GetDC(hwnd());
    const RECT all{0, 0, width_, height_};
    Show(screen, frameOwed_ ? all : PlotRect());
    ReleaseDC(hwnd(), screen);
    frameOwed_ = false;
    if (invalidated_) {
        ValidateRect(hwnd(), nullptr);
        invalidated_ = false;
    }
}

LRESULT StripChart::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            width_ = LOWORD(lParam);
            height_ = HIWORD(lParam);
            MakeBitmaps();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(hwnd(), &paint);
            Render();
            Show(dc, paint.rcPaint);
            EndPaint(hwnd(), &paint);
            frameOwed_ = false;
            invalidated_ = false;
            return 0;
        }
        case WM_SYSCOLORCHANGE:
            fixedValid_ = false;
            Changed(true);
            return 0;
        default:
            return WindowBase::OnMessage(message, wParam, lParam);
    }
}

}  // namespace ts::win32
