#include "about_box.h"

#include "platform/windows/wide_text.h"

namespace ts::win32 {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

}  // namespace

TFA::TFA(HWND owner, UINT dpi) {
    CreateWindowOf(L"TsAboutBox", kStyle, kExStyle, owner, Widen(layout::AboutBox().caption),
                   RECT{});
    controls_ = std::make_unique<ControlSet>(hwnd(), dpi);
    for (const layout::ControlEntry& entry : layout::AboutBoxControls()) {
        const layout::Place& p = entry.place;
        made_.push_back(MakeControl(*controls_, entry, {p.x, p.y, p.width, p.height}));
        if (entry.handler == layout::Handler::B_CloseClick) {
            made_.back()->onClick = [this] { B_CloseClick(); };
        }
    }
    FitToDpi(dpi);
}

void TFA::FitToDpi(UINT dpi) {
    controls_->SetDpi(dpi);
    RECT r{0, 0, Scaled(layout::AboutBox().clientWidth, dpi),
           Scaled(layout::AboutBox().clientHeight, dpi)};
    AdjustWindowRectExForDpi(&r, kStyle, FALSE, kExStyle, dpi);
    SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFA::ShowOver(HWND owner) {
    if (!IsShown()) {
        FitToDpi(GetDpiForWindow(owner));
        RECT ownerRect{}, box{};
        GetWindowRect(owner, &ownerRect);
        GetWindowRect(hwnd(), &box);
        const int width = box.right - box.left, height = box.bottom - box.top;
        SetWindowPos(hwnd(), nullptr, (ownerRect.left + ownerRect.right - width) / 2,
                     (ownerRect.top + ownerRect.bottom - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
}

void TFA::B_CloseClick() { ShowWindow(hwnd(), SW_HIDE); }

LRESULT TFA::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (controls_ && controls_->Handle(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_COMMAND:
            // Enter and Escape, through the dialog keys of the message loop.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) B_CloseClick();
            return 0;
        case WM_CLOSE:
            B_CloseClick();
            return 0;
        case WM_DPICHANGED:
            FitToDpi(HIWORD(wParam));
            return 0;
        default:
            return WindowBase::OnMessage(message, wParam, lParam);
    }
}

}  // namespace ts::win32
