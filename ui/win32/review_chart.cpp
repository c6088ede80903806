#include "review_chart.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "chart/png_file.h"
#include "platform/system_file.h"
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

void ReviewChart::Create(HWND parent, Place place, UINT dpi, HFONT font) {
    place_ = place;
    dpi_ = dpi;
    font_ = font;
    const RECT r{Scaled(place.x, dpi), Scaled(place.y, dpi), Scaled(place.x + place.width, dpi),
                 Scaled(place.y + place.height, dpi)};
    CreateWindowOf(L"TsReviewChart", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0,
                   parent, L"", r);
}

void ReviewChart::SetDpi(UINT dpi, HFONT font) {
    dpi_ = dpi;
    font_ = font;
    SetWindowPos(hwnd(), nullptr, Scaled(place_.x, dpi), Scaled(place_.y, dpi),
                 Scaled(place_.width, dpi), Scaled(place_.height, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Changed();
}

void ReviewChart::SetModel(ReviewModel* model, std::function<void()> changed) {
    model_ = model;
    changed_ = std::move(changed);
    Changed();
}

void ReviewChart::SetBackgroundColor(Color color) {
    if (background_ == color) return;
    background_ = color;
    Changed();
}

void ReviewChart::SetGridColor(Color color) {
    if (grid_ == color) return;
    grid_ = color;
    Changed();
}

void ReviewChart::Changed() {
    valid_ = false;
    if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, FALSE);
}

RECT ReviewChart::PlotRect() const {
    const PlotArea a = ReviewModel::PlotAreaOf(width_, height_, static_cast<int>(dpi_));
    return {a.left, a.top, a.Right(), a.Bottom()};
}

double ReviewChart::FractionAt(int x) const {
    const RECT r = PlotRect();
    return static_cast<double>(x - r.left) / std::max<LONG>(r.right - r.left, 1);
}

double ReviewChart::HeightAt(int y) const {
    const RECT r = PlotRect();
    return static_cast<double>(r.bottom - y) / std::max<LONG>(r.bottom - r.top, 1);
}

void ReviewChart::MakeBitmap() {
    const HDC screen = GetDC(hwnd());
    picture_.Make(screen, width_, height_);
    ReleaseDC(hwnd(), screen);
    valid_ = false;
}

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

bool ReviewChart::WritePng(const std::string& path) {
    if (!valid_) Render();
    if (picture_.Bits() == nullptr) return false;
    GdiFlush();
    SystemFile out;
    if (!out.OpenForWriting(path, true)) return false;
    const bool written = ts::WritePng(
        out, width_, height_,
        {picture_.Bits(), static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)});
    return out.Close() && written;
}

void ReviewChart::Tell() {
    if (changed_) changed_();
    Changed();
}

LRESULT ReviewChart::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam));
    switch (message) {
        case WM_SIZE:
            width_ = LOWORD(lParam);
            height_ = HIWORD(lParam);
            MakeBitmap();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(hwnd(), &paint);
            // Nothing is drawn while the window is minimized.
            if (!IsIconic(GetAncestor(hwnd(), GA_ROOT))) {
                if (!valid_) Render();
                if (picture_.Dc() != nullptr)
                    BitBlt(dc, 0, 0, width_, height_, picture_.Dc(), 0, 0, SRCCOPY);
            }
            EndPaint(hwnd(), &paint);
            return 0;
        }
        case WM_GETDLGCODE: {
            // The arrows and Escape move and clear; Tab still goes on to the next control.
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
                return DLGC_WANTMESSAGE;
            }
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (model_ == nullptr) return 0;
            SetFocus(hwnd());
            SetCapture(hwnd());
            dragStart_ = dragLast_ = FractionAt(x);
            drag_ = message == WM_RBUTTONDOWN  ? Drag::Zoom
                    : (wParam & MK_SHIFT) != 0 ? Drag::Select
                                               : Drag::Pan;
            return 0;
        case WM_MOUSEMOVE: {
            if (model_ == nullptr) return 0;
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
                tracking_ = TrackMouseEvent(&track) != FALSE;
            }
            const double at = FractionAt(x);
            if (drag_ == Drag::Pan) model_->Pan(at - dragLast_);
            if (drag_ == Drag::Select) model_->Select(dragStart_, at);
            dragLast_ = at;
            model_->MoveCursor(at);
            Tell();
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP: {
            if (GetCapture() == hwnd()) ReleaseCapture();
            if (model_ == nullptr) return 0;
            const double at = FractionAt(x);
            // A stretch narrower than a few pixels is a click, not a stretch.
            const RECT r = PlotRect();
            const double few = 4.0 / std::max<LONG>(r.right - r.left, 1);
            if (drag_ == Drag::Zoom && std::abs(at - dragStart_) > few) {
                model_->ZoomToStretch(dragStart_, at);
                Tell();
            }
            drag_ = Drag::None;
            return 0;
        }
        case WM_MOUSELEAVE:
            tracking_ = false;
            if (model_ == nullptr) return 0;
            model_->HideCursor();
            Tell();
            return 0;
        case WM_MOUSEWHEEL: {
            if (model_ == nullptr) return 0;
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ScreenToClient(hwnd(), &p);
            const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
            if (notches != 0) {
                if ((GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) != 0) {
                    model_->ValueWheel(notches, HeightAt(p.y));
                } else {
                    model_->Wheel(notches, FractionAt(p.x));
                }
                Tell();
            }
            return 0;
        }
        case WM_KEYDOWN: {
            if (model_ == nullptr) return 0;
            ReviewKey key;
            switch (wParam) {
                case VK_LEFT:
                    key = ReviewKey::Left;
                    break;
                case VK_RIGHT:
                    key = ReviewKey::Right;
                    break;
                case VK_PRIOR:
                    key = ReviewKey::PageBack;
                    break;
                case VK_NEXT:
                    key = ReviewKey::PageForward;
                    break;
                case VK_HOME:
                    key = ReviewKey::Home;
                    break;
                case VK_END:
                    key = ReviewKey::End;
                    break;
                case VK_ADD:
                case VK_OEM_PLUS:
                    key = ReviewKey::ZoomIn;
                    break;
                case VK_SUBTRACT:
                case VK_OEM_MINUS:
                    key = ReviewKey::ZoomOut;
                    break;
                case VK_ESCAPE:
                    key = ReviewKey::Escape;
                    break;
                case VK_UP:
                    key = ReviewKey::ValuesIn;
                    break;
                case VK_DOWN:
                    key = ReviewKey::ValuesOut;
                    break;
                case VK_BACK:
                case VK_MULTIPLY:
                    key = ReviewKey::FitValues;
                    break;
                default:
                    return WindowBase::OnMessage(message, wParam, lParam);
            }
            model_->Key(key);
            Tell();
            return 0;
        }
        case WM_DESTROY:
            picture_.Free();
            return 0;
        default:
            return WindowBase::OnMessage(message, wParam, lParam);
    }
}

}  // namespace ts::win32
