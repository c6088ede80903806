#include "strip_chart.h"

#include <algorithm>

#include "app/texts.h"
#include "platform/windows/wide_text.h"

namespace ts::win32 {

namespace {

HPEN DottedPen(Color color) {
    // One pixel drawn, two left out, as the Qt window's dotted lines.
    const LOGBRUSH brush{BS_SOLID, static_cast<COLORREF>(color), 0};
    const DWORD pattern[] = {1, 2};
    return ExtCreatePen(PS_COSMETIC | PS_USERSTYLE, 1, &brush, 2, pattern);
}

}  // namespace

StripChart::StripChart() { mapped_.reserve(ChartPlot::kMaxPoints); }

StripChart::~StripChart() {
    FreeBitmaps();
    for (SeriesPen& s : pens_) {
        if (s.pen != nullptr) DeleteObject(s.pen);
    }
    if (majorPen_ != nullptr) DeleteObject(majorPen_);
    if (minorPen_ != nullptr) DeleteObject(minorPen_);
    if (backgroundBrush_ != nullptr) DeleteObject(backgroundBrush_);
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
    Changed();
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
    Changed();
}

void StripChart::SetGridColor(Color color) {
    if (!plot_.SetGridColor(color)) return;
    MakeGridPens();
    fixedValid_ = false;
    Changed();
}

void StripChart::Changed() {
    backValid_ = false;
    // Painted once when the message loop comes round, however many changes came first; the
    // system is asked once too (each request is a round trip to it).
    if (hwnd() != nullptr && !invalidated_) {
        InvalidateRect(hwnd(), nullptr, FALSE);
        invalidated_ = true;
    }
}

void StripChart::MakeGridPens() {
    if (majorPen_ != nullptr) DeleteObject(majorPen_);
    if (minorPen_ != nullptr) DeleteObject(minorPen_);
    majorPen_ = CreatePen(PS_SOLID, 0, static_cast<COLORREF>(plot_.GridColor()));
    minorPen_ = DottedPen(plot_.GridColor());
}

RECT StripChart::PlotRect() const {
    const PlotArea a = Area();
    return RECT{a.left, a.top, a.Right(), a.Bottom()};
}

void StripChart::FreeBitmaps() {
    if (fixedDc_ != nullptr) {
        SelectObject(fixedDc_, fixedOld_);
        DeleteDC(fixedDc_);
        DeleteObject(fixedBitmap_);
        fixedDc_ = nullptr;
    }
    if (backDc_ != nullptr) {
        SelectObject(backDc_, backOld_);
        DeleteDC(backDc_);
        DeleteObject(backBitmap_);
        backDc_ = nullptr;
        backBits_ = nullptr;
    }
}

void StripChart::MakeBitmaps() {
    FreeBitmaps();
    // Bitmaps of our own layout (32 bits a pixel, top row first): the dotted grid lines are
    // set in them pixel by pixel, far quicker than the system strokes a dotted pen.
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = std::max(width_, 1);
    format.bmiHeader.biHeight = -std::max(height_, 1);
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    const HDC screen = GetDC(hwnd());
    void* bits = nullptr;
    fixedDc_ = CreateCompatibleDC(screen);
    fixedBitmap_ = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    fixedOld_ = SelectObject(fixedDc_, fixedBitmap_);
    backDc_ = CreateCompatibleDC(screen);
    backBitmap_ = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    backBits_ = static_cast<std::uint32_t*>(bits);
    backOld_ = SelectObject(backDc_, backBitmap_);
    ReleaseDC(hwnd(), screen);
    fixedValid_ = false;
    backValid_ = false;
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
        SelectObject(dc, line.major ? majorPen_ : minorPen_);
        MoveToEx(dc, r.left, y, nullptr);
        LineTo(dc, r.right, y);
        if (!line.major) continue;
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

void StripChart::DrawVerticalGrid(HDC dc) const {
    if (backBits_ == nullptr) return;
    const RECT r = PlotRect();
    const HGDIOBJ oldPen = SelectObject(dc, majorPen_);
    // A pixel of the bitmap: blue in the lowest byte.
    const Color grid = plot_.GridColor();
    const std::uint32_t dot = (static_cast<std::uint32_t>(RedOf(grid)) << 16) |
                              (static_cast<std::uint32_t>(GreenOf(grid)) << 8) |
                              static_cast<std::uint32_t>(BlueOf(grid));
    GdiFlush();  // the system's drawing is done before the pixels are touched
    plot_.ForEachTimeLine(Area(), [&](int px, bool solid) {
        if (solid) {
            MoveToEx(dc, px, r.top, nullptr);
            LineTo(dc, px, r.bottom);
            return;
        }
        // One pixel drawn, two left out, as the dotted pen would.
        for (int y = r.top; y < r.bottom; y += 3) {
            backBits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                      static_cast<std::size_t>(px)] = dot;
        }
    });
    SelectObject(dc, oldPen);
}

void StripChart::DrawCurves(HDC dc) {
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
        plot_.MapSeries(area, c, mapped_);
        SelectObject(dc, pen.pen);
        if (s.count == 1) {
            SetPixelV(dc, mapped_[0].x, mapped_[0].y, static_cast<COLORREF>(s.color));
        } else {
            Polyline(dc, mapped_.data(), s.count);
        }
    }
    SelectObject(dc, oldPen);
}

void StripChart::Render() {
    if (backDc_ == nullptr) MakeBitmaps();
    if (!fixedValid_) {
        if (backgroundBrush_ != nullptr) DeleteObject(backgroundBrush_);
        backgroundBrush_ = CreateSolidBrush(static_cast<COLORREF>(plot_.BackgroundColor()));
        DrawFixedParts(fixedDc_);
        fixedValid_ = true;
    }
    BitBlt(backDc_, 0, 0, width_, height_, fixedDc_, 0, 0, SRCCOPY);
    const RECT r = PlotRect();
    const int saved = SaveDC(backDc_);
    IntersectClipRect(backDc_, r.left, r.top, r.right, r.bottom);
    DrawVerticalGrid(backDc_);
    DrawCurves(backDc_);
    RestoreDC(backDc_, saved);
    backValid_ = true;
}

void StripChart::Redraw() {
    Render();
    const HDC screen = GetDC(hwnd());
    BitBlt(screen, 0, 0, width_, height_, backDc_, 0, 0, SRCCOPY);
    ReleaseDC(hwnd(), screen);
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
            if (!backValid_ || backDc_ == nullptr) Render();
            BitBlt(dc, 0, 0, width_, height_, backDc_, 0, 0, SRCCOPY);
            EndPaint(hwnd(), &paint);
            invalidated_ = false;
            return 0;
        }
        case WM_SYSCOLORCHANGE:
            fixedValid_ = false;
            Changed();
            return 0;
        default:
            return WindowBase::OnMessage(message, wParam, lParam);
    }
}

}  // namespace ts::win32
