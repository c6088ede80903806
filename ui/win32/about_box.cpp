#include "about_box.h"

#include "app/texts.h"
#include "platform/windows/wide_text.h"

namespace ts::win32 {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kClientWidth = 244;
constexpr int kClientHeight = 114;

}  // namespace

TFA::TFA(HWND owner, UINT dpi) {
    CreateWindowOf(L"TsAboutBox", kStyle, kExStyle, owner, Widen(text::kAboutCaption), RECT{});
    controls_ = std::make_unique<ControlSet>(hwnd(), dpi);
    title_.font = FontKind::Bold;
    title_.Create(*controls_, "Label_AboutTitle", text::kAboutLine1, {0, 14, 244, 20}, SS_CENTER);
    model_.Create(*controls_, "Label_AboutModel", text::kAboutLine2, {0, 40, 244, 20}, SS_CENTER);
    close_.Create(*controls_, "B_Close", text::kAboutClose, {82, 76, 80, 25});
    close_.onClick = [this] { B_CloseClick(); };
    FitToDpi(dpi);
}

void TFA::FitToDpi(UINT dpi) {
    controls_->SetDpi(dpi);
    RECT r{0, 0, Scaled(kClientWidth, dpi), Scaled(kClientHeight, dpi)};
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
