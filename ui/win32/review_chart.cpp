#include "review_chart.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "chart/png_file.h"
#include "platform/system_file.h"
#include "review/review_model.h"

namespace ts::win32 {

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

namespace {

// The review's key for a virtual key, or none.
std::optional<ReviewKey> KeyOf(WPARAM virtualKey) {
    switch (virtualKey) {
        case VK_LEFT:
            return ReviewKey::Left;
        case VK_RIGHT:
            return ReviewKey::Right;
        case VK_PRIOR:
            return ReviewKey::PageBack;
        case VK_NEXT:
            return ReviewKey::PageForward;
        case VK_HOME:
            return ReviewKey::Home;
        case VK_END:
            return ReviewKey::End;
        case VK_ADD:
        case VK_OEM_PLUS:
            return ReviewKey::ZoomIn;
        case VK_SUBTRACT:
        case VK_OEM_MINUS:
            return ReviewKey::ZoomOut;
        case VK_ESCAPE:
            return ReviewKey::Escape;
        case VK_UP:
            return ReviewKey::ValuesIn;
        case VK_DOWN:
            return ReviewKey::ValuesOut;
        case VK_BACK:
        case VK_MULTIPLY:
            return ReviewKey::FitValues;
        default:
            return std::nullopt;
    }
}

// The arrows and Escape move and clear; Tab still goes on to the next control.
LRESULT DialogCode(const MSG* msg) {
    if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        return DLGC_WANTMESSAGE;
    }
    return DLGC_WANTARROWS | DLGC_WANTCHARS;
}

}  // namespace

void ReviewChart::OnSize(int width, int height) {
    width_ = width;
    height_ = height;
    MakeBitmap();
}

void ReviewChart::OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd(), &paint);
    // Nothing is drawn while the window is minimized.
    if (!IsIconic(GetAncestor(hwnd(), GA_ROOT))) {
        if (!valid_) Render();
        if (picture_.Dc() != nullptr)
            BitBlt(dc, 0, 0, width_, height_, picture_.Dc(), 0, 0, SRCCOPY);
    }
    EndPaint(hwnd(), &paint);
}

void ReviewChart::OnButtonDown(bool right, WPARAM keys, int x) {
    if (model_ == nullptr) return;
    SetFocus(hwnd());
    SetCapture(hwnd());
    dragStart_ = dragLast_ = FractionAt(x);
    drag_ = right ? Drag::Zoom : (keys & MK_SHIFT) != 0 ? Drag::Select : Drag::Pan;
}

void ReviewChart::OnMouseMove(int x) {
    if (model_ == nullptr) return;
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
}

void ReviewChart::OnButtonUp(int x) {
    if (GetCapture() == hwnd()) ReleaseCapture();
    if (model_ == nullptr) return;
    const double at = FractionAt(x);
    // A stretch narrower than a few pixels is a click, not a stretch.
    const RECT r = PlotRect();
    const double few = 4.0 / std::max<LONG>(r.right - r.left, 1);
    if (drag_ == Drag::Zoom && std::abs(at - dragStart_) > few) {
        model_->ZoomToStretch(dragStart_, at);
        Tell();
    }
    drag_ = Drag::None;
}

void ReviewChart::OnMouseLeave() {
    tracking_ = false;
    if (model_ == nullptr) return;
    model_->HideCursor();
    Tell();
}

void ReviewChart::OnWheel(WPARAM wParam, LPARAM lParam) {
    if (model_ == nullptr) return;
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(hwnd(), &p);
    const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    if (notches == 0) return;
    if ((GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) != 0) {
        model_->ValueWheel(notches, HeightAt(p.y));
    } else {
        model_->Wheel(notches, FractionAt(p.x));
    }
    Tell();
}

bool ReviewChart::OnKey(WPARAM virtualKey) {
    if (model_ == nullptr) return true;
    const std::optional<ReviewKey> key = KeyOf(virtualKey);
    if (!key) return false;
    model_->Key(*key);
    Tell();
    return true;
}

LRESULT ReviewChart::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam));
    switch (message) {
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_GETDLGCODE:
            return DialogCode(reinterpret_cast<const MSG*>(lParam));
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            OnButtonDown(message == WM_RBUTTONDOWN, wParam, x);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(x);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            OnButtonUp(x);
            return 0;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            return 0;
        case WM_MOUSEWHEEL:
            OnWheel(wParam, lParam);
            return 0;
        case WM_KEYDOWN:
            if (OnKey(wParam)) return 0;
            return WindowBase::OnMessage(message, wParam, lParam);
        case WM_DESTROY:
            picture_.Free();
            return 0;
        default:
            return WindowBase::OnMessage(message, wParam, lParam);
    }
}

}  // namespace ts::win32
