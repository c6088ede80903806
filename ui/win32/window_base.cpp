#include "window_base.h"

#include <string>

namespace ts::win32 {

WindowBase::~WindowBase() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void WindowBase::CreateWindowOf(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent,
                                std::wstring_view title, RECT place) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW known{};
    known.cbSize = sizeof(known);
    if (!GetClassInfoExW(instance, className, &known)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &WindowBase::Procedure;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = className;
        // The program's icon is resource 1; a program without it gets the system's.
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));
        RegisterClassExW(&wc);
    }
    const std::wstring caption(title);
    CreateWindowExW(exStyle, className, caption.c_str(), style, place.left, place.top,
                    place.right - place.left, place.bottom - place.top, parent, nullptr, instance,
                    this);
}

void WindowBase::FitClientArea(int width, int height, UINT dpi, const POINT* at) {
    const auto style = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE));
    RECT frame{0, 0, Scaled(width, dpi), Scaled(height, dpi)};
    AdjustWindowRectExForDpi(&frame, style, GetMenu(hwnd_) != nullptr, exStyle, dpi);
    int outerWidth = frame.right - frame.left, outerHeight = frame.bottom - frame.top;
    SetWindowPos(hwnd_, nullptr, 0, 0, outerWidth, outerHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar may take more or less room than the estimate: the client area decides.
    RECT client{};
    GetClientRect(hwnd_, &client);
    outerWidth += Scaled(width, dpi) - client.right;
    outerHeight += Scaled(height, dpi) - client.bottom;
    POINT place{};
    if (at != nullptr) {
        place = *at;
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& work = monitor.rcWork;
        place = {work.left + (work.right - work.left - outerWidth) / 2,
                 work.top + (work.bottom - work.top - outerHeight) / 2};
    }
    SetWindowPos(hwnd_, nullptr, place.x, place.y, outerWidth, outerHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT WindowBase::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK WindowBase::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace ts::win32
