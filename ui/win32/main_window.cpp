#include "main_window.h"

#include "platform/windows/wide_text.h"

namespace ts::win32 {

namespace {

// No WS_CLIPCHILDREN: the group boxes leave their inside to the window to paint.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = 0;

constexpr UINT_PTR kTimer25Hz = 1;
constexpr UINT_PTR kTimerPort = 2;
constexpr UINT_PTR kTimerDemo = 3;

using layout::Kind;

}  // namespace

TMF::TMF(Driver& driver, Platform& platform) {
    CreateWindowOf(L"TsMainWindow", kStyle, kExStyle, nullptr, Widen(layout::MainWindow().caption),
                   RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT});
    const UINT dpi = GetDpiForWindow(hwnd());
    controls_ = std::make_unique<ControlSet>(hwnd(), dpi);
    BuildControls();
    BuildMenus();
    FitToDpi(dpi, nullptr);

    ui_ = std::make_unique<Win32Ui>(hwnd(), chart_, *resultFileName_, *controls_);
    station_ = std::make_unique<Station>(driver, platform, *ui_);
    for (const layout::ControlSpec& control : layout::MainWindowControls()) {
        ties_.push_back(TieOf(station_->form, control));
    }
    const auto& menus = layout::MainWindowMenus();
    for (std::size_t m = 0; m < menus.size(); ++m) {
        menus_[m].tie = TieOf(station_->form, menus[m].field, 0);
        for (const layout::MenuItemSpec& item : menus[m].items) {
            menus_[m].items.push_back(TieOf(station_->form, item.field, item.index));
        }
    }
    about_ = std::make_unique<TFA>(hwnd(), dpi);
    ApplyForm();

    // The timers run from here on, so that they already tick inside the boxes the
    // construction steps may show.
    StartTimers();
    Run([this] { station_->Construct(); });
}

TMF::~TMF() {
    Close();
    about_.reset();
}

void TMF::BuildControls() {
    const auto& controls = layout::MainWindowControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const layout::ControlSpec& spec = controls[i];
        // Every control is a child of the window itself, placed in its client area.
        const layout::Place place =
            layout::PlaceInWindow(controls, spec.fitsText ? static_cast<std::size_t>(spec.parent) : i);
        const Place at{place.x, place.y, place.width, place.height};
        if (spec.kind == Kind::Chart) {
            chart_.Create(hwnd(), at, controls_->dpi(), controls_->Font(FontKind::Normal));
        }
        made_.push_back(MakeControl(*controls_, spec, at));
        Connect(i);
    }
    // The chart and the group frames lie under the controls drawn over them.
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].kind != Kind::Chart && controls[i].kind != Kind::GroupBox) continue;
        const HWND under = controls[i].kind == Kind::Chart ? chart_.hwnd() : made_[i]->hwnd;
        SetWindowPos(under, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    resultFileName_ = static_cast<Label*>(
        made_[static_cast<std::size_t>(layout::IndexOf(controls, "Label_ResultFileName"))].get());
}

void TMF::Connect(std::size_t index) {
    const layout::ControlSpec& spec = layout::MainWindowControls()[index];
    Control* control = made_[index].get();
    switch (spec.kind) {
        case Kind::CheckBox:
        case Kind::RadioButton: {
            // A check box has ticked itself when it says so; a radio button waits for the model.
            auto* box = static_cast<CheckBox*>(control);
            box->onClick = [this, &spec, box] {
                TakeClick(station_->form, spec, box->Checked());
                Dispatch(spec.handler, spec.index);
            };
            return;
        }
        case Kind::Button:
        case Kind::ColorSwatch:
            control->onClick = [this, &spec] { Dispatch(spec.handler, spec.index); };
            return;
        case Kind::ComboBox: {
            auto* box = static_cast<ComboBox*>(control);
            box->onSelect = [this, &spec, box] { TakeItemIndex(station_->form, spec, box->Index()); };
            // Typed text never becomes an item; text that names no item selects nothing.
            box->onEdit = [this, &spec, box] {
                TakeItemIndex(station_->form, spec, box->FindExact(box->EditText()));
            };
            return;
        }
        case Kind::Label:
        case Kind::GroupBox:
        case Kind::Chart:
            return;
    }
}

void TMF::BuildMenus() {
    menuBar_ = CreateMenu();
    int id = kIdFirstMenuItem;
    for (const layout::MenuSpec& spec : layout::MainWindowMenus()) {
        MenuState menu{CreatePopupMenu(), {}, {}, id, spec.caption, {}, false};
        // Items tied to the model are made each time the model changes them, in the mirror.
        for (const layout::MenuItemSpec& item : spec.items) {
            if (item.field == layout::Field::None) {
                AppendMenuW(menu.popup, MF_STRING, static_cast<UINT_PTR>(id),
                            Widen(item.caption).c_str());
            }
            ++id;
        }
        AppendMenuW(menuBar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menu.popup),
                    Widen(spec.caption).c_str());
        menus_.push_back(std::move(menu));
    }
    SetMenu(hwnd(), menuBar_);
}

HMENU TMF::Menu(std::string_view name) const {
    const auto& menus = layout::MainWindowMenus();
    for (std::size_t m = 0; m < menus.size(); ++m) {
        if (menus[m].name == name) return menus_[m].popup;
    }
    return nullptr;
}

void TMF::Dispatch(layout::Handler handler, int index) {
    Run([this, handler, index] {
        if (ts::RunHandler(*station_, handler, index)) return;
        if (handler == layout::Handler::M_Menu_Help_AboutClick) M_Menu_Help_AboutClick();
    });
}

void TMF::StartTimers() {
    SetTimer(hwnd(), kTimer25Hz, 40, nullptr);
    SetTimer(hwnd(), kTimerPort, 1000, nullptr);
    SetTimer(hwnd(), kTimerDemo, 10, nullptr);
}

void TMF::FitToDpi(UINT dpi, const RECT* suggested) {
    controls_->SetDpi(dpi);
    chart_.SetDpi(dpi, controls_->Font(FontKind::Normal));
    const int clientWidth = layout::MainWindow().clientWidth;
    const int clientHeight = layout::MainWindow().clientHeight;
    RECT frame{0, 0, Scaled(clientWidth, dpi), Scaled(clientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, kStyle, TRUE, kExStyle, dpi);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar may take more or less room than the estimate: the client area decides.
    RECT client{};
    GetClientRect(hwnd(), &client);
    width += Scaled(clientWidth, dpi) - client.right;
    height += Scaled(clientHeight, dpi) - client.bottom;
    int x, y;
    if (suggested != nullptr) {
        x = suggested->left;
        y = suggested->top;
    } else {
        // Centred on the screen when first shown.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& work = monitor.rcWork;
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }
    SetWindowPos(hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMF::M_Menu_Help_AboutClick() {
    // Modeless: the window and the timers go on while it is open.
    about_->ShowOver(hwnd());
}

void TMF::Close() {
    if (closed_ || !station_) return;
    closed_ = true;
    KillTimer(hwnd(), kTimer25Hz);
    KillTimer(hwnd(), kTimerPort);
    KillTimer(hwnd(), kTimerDemo);
    station_->FormClose();
    ui_->CloseBoxes();
    if (about_) about_->B_CloseClick();
}

void TMF::OnMenuCommand(int id) {
    const auto& menus = layout::MainWindowMenus();
    for (std::size_t m = 0; m < menus.size(); ++m) {
        const int item = id - menus_[m].firstId;
        if (item < 0 || item >= static_cast<int>(menus[m].items.size())) continue;
        const layout::MenuItemSpec& spec = menus[m].items[static_cast<std::size_t>(item)];
        Dispatch(spec.handler, spec.index);
        return;
    }
}

LRESULT TMF::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (controls_ && controls_->Handle(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_COMMAND:
            if (lParam == 0 && !closed_) OnMenuCommand(LOWORD(wParam));
            return 0;
        case WM_INITMENUPOPUP: {
            const auto& menus = layout::MainWindowMenus();
            for (std::size_t m = 0; m < menus.size() && !closed_; ++m) {
                if (reinterpret_cast<HMENU>(wParam) != menus_[m].popup) continue;
                if (menus[m].onOpen == layout::Handler::None) break;
                // A box that the handler raises is shown once the menu has been handled.
                ui_->BeginDeferringBoxes();
                Dispatch(menus[m].onOpen, 0);
                ui_->EndDeferringBoxes();
            }
            return 0;
        }
        case kShowHeldBoxes:
            ui_->ShowHeldBoxes();
            return 0;
        case WM_TIMER:
            if (closed_) return 0;
            if (wParam == kTimer25Hz) Run([this] { station_->Timer_25HzTimer(); });
            if (wParam == kTimerPort) Run([this] { station_->TimerPortTimer(); });
            if (wParam == kTimerDemo) Run([this] { station_->TimerDemoTimer(); });
            return 0;
        case WM_CLOSE:
            Close();
            DestroyWindow(hwnd());
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // Logoff or shutdown: the process ends after this returns, as after the close
            // button, so the close runs now.
            if (wParam != FALSE) Close();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_DPICHANGED: {
            const UINT dpi = HIWORD(wParam);
            FitToDpi(dpi, reinterpret_cast<const RECT*>(lParam));
            ApplyForm();
            return 0;
        }
        default:
            return WindowBase::OnMessage(message, wParam, lParam);
    }
}

int RunMessageLoop(TMF& window) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.hwnd() != nullptr) window.controls().Relay(msg);
        if (window.aboutBox().hwnd() != nullptr) {
            window.aboutBox().controls().Relay(msg);
            if (IsDialogMessageW(window.aboutBox().hwnd(), &msg)) continue;
        }
        if (window.hwnd() != nullptr && IsDialogMessageW(window.hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace ts::win32
