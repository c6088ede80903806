#include "main_window.h"

#include <shellapi.h>

#include "base/texts.h"
#include "platform/windows/wide_text.h"
#include "review/result_line.h"

namespace ts::win32 {

namespace {

// No WS_CLIPCHILDREN: the group boxes leave their inside to the window to paint.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = 0;

constexpr UINT_PTR kTimer25Hz = 1;
constexpr UINT_PTR kTimerDemo = 3;

using layout::Kind;

}  // namespace

TMF::TMF(Driver& driver, Platform& platform, Start start) : platform_(platform) {
    CreateWindowOf(L"TsMainWindow", kStyle, kExStyle, nullptr, Widen(layout::MainWindow().caption),
                   RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT});
    const UINT dpi = GetDpiForWindow(hwnd());
    controls_ = std::make_unique<ControlSet>(hwnd(), dpi);
    BuildControls();
    menus_ = std::make_unique<MenuBar>(hwnd(), kIdFirstMenuItem);
    FitToDpi(dpi, nullptr);

    ui_ = std::make_unique<Win32Ui>(hwnd(), chart_, *resultFileName_, *controls_);
    ui_->SetReviewOpener([this](const std::string& path) { OpenReview(path); });
    // A result file dropped on the window opens in a review window.
    DragAcceptFiles(hwnd(), TRUE);
    station_ = std::make_unique<Station>(driver, platform, *ui_);
    for (const layout::ControlEntry& control : layout::MainWindowControls()) {
        ties_.push_back(TieOf(station_->form(), control));
    }
    menus_->Tie(station_->form());
    about_ = std::make_unique<TFA>(hwnd(), dpi);
    ApplyForm();

    // The timers run from here on, so that they already tick inside the boxes the
    // construction steps may show.
    StartTimers();
    // A user who opens a recording looks at it first: the instrument's word waits for it.
    if (start == Start::Reviews) ui_->BeginDeferringBoxes();
    Run([this] { station_->Construct(); });
}

void TMF::OpenAtStart(const std::vector<std::string>& paths, std::string_view earlier) {
    TFR* last = nullptr;
    for (const std::string& path : paths) {
        if (TFR* review = OpenReview(path)) last = review;
    }
    ui_->EndDeferringBoxesBeside(earlier);
    if (last != nullptr) SetForegroundWindow(last->hwnd());
}

TMF::~TMF() {
    Close();
    reviews_.clear();
    about_.reset();
}

TFR* TMF::OpenReview(const std::string& path) {
    std::erase_if(reviews_, [](const std::unique_ptr<TFR>& review) { return review->closed(); });
    auto review = std::make_unique<TFR>();
    const std::string problem =
        review->Open(path, station_->chart().Colors(),
                     review::DateOrderOf(platform_.Regional().ShortDateFormat));
    if (!problem.empty()) {
        ui_->ShowMessage(std::string(text::kMsgReviewOpenFailed) + problem);
        return nullptr;
    }
    return reviews_.emplace_back(std::move(review)).get();
}

std::vector<TFR*> TMF::Reviews() {
    std::vector<TFR*> open;
    for (const auto& review : reviews_) {
        if (!review->closed()) open.push_back(review.get());
    }
    return open;
}

void TMF::BuildControls() {
    const auto& controls = layout::MainWindowControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const layout::ControlEntry& entry = controls[i];
        // Every control is a child of the window itself, placed in its client area.
        const layout::Place p =
            layout::PlaceInWindow(controls, entry.fitsText ? std::size_t(entry.parent) : i);
        if (entry.kind == Kind::Chart) {
            chart_.Create(hwnd(), {p.x, p.y, p.width, p.height}, controls_->dpi(),
                          controls_->Font(FontKind::Normal));
        }
        made_.push_back(
            MakeControl(*controls_, entry, {p.x, p.y, p.width, p.height},
                        {[this, &entry](bool checked) {
                             TakeClick(station_->form(), entry, checked);
                             Dispatch(entry.handler, entry.index);
                         },
                         [this, &entry](int item) { TakeItemIndex(station_->form(), entry, item); },
                         {}}));
    }
    // The chart and the group frames lie under the controls drawn over them.
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].kind != Kind::Chart && controls[i].kind != Kind::GroupBox) continue;
        const HWND under = controls[i].kind == Kind::Chart ? chart_.hwnd() : made_[i]->hwnd;
        SetWindowPos(under, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    resultFileName_ = static_cast<Label*>(controls_->Find("Label_ResultFileName"));
}

void TMF::Dispatch(layout::Handler handler, int index) {
    Run([this, handler, index] {
        if (ts::RunHandler(*station_, handler, index)) return;
        if (handler == layout::Handler::M_Menu_Help_AboutClick) M_Menu_Help_AboutClick();
    });
}

void TMF::StartTimers() {
    ticks_ = WindowTicks(WindowTicks::Clock::now());
    SetTimer(hwnd(), kTimer25Hz, WindowTicks::kTickMs, nullptr);
}

void TMF::Tick() {
    ticks_.Tick(*station_, WindowTicks::Clock::now());
    FollowDemoMode();
    if (Seen()) {
        ApplyForm();
    } else {
        mirrorOwed_ = true;
    }
}

void TMF::FollowDemoMode() {
    if (closed_ || !station_) return;
    const bool runs = WindowTicks::DemoRuns(*station_);
    if (runs == demoTimerRuns_) return;
    demoTimerRuns_ = runs;
    if (runs) {
        SetTimer(hwnd(), kTimerDemo, WindowTicks::kDemoMs, nullptr);
    } else {
        KillTimer(hwnd(), kTimerDemo);
    }
}

bool TMF::Seen() const {
    // A window not shown yet is mirrored as ever, so that it shows right from its first paint.
    if (!IsWindowVisible(hwnd())) return true;
    if (IsIconic(hwnd())) return false;
    // Covered whole by other windows: nothing of it is left to draw on.
    const HDC dc = GetDC(hwnd());
    RECT box{};
    const int kind = GetClipBox(dc, &box);
    ReleaseDC(hwnd(), dc);
    return kind != NULLREGION;
}

void TMF::CatchUp() {
    if (!mirrorOwed_ || closed_ || !station_ || !Seen()) return;
    mirrorOwed_ = false;
    ApplyForm();
}

void TMF::FitToDpi(UINT dpi, const RECT* suggested) {
    fittedWidth_ = -1;
    controls_->SetDpi(dpi);
    chart_.SetDpi(dpi, controls_->Font(FontKind::Normal));
    const POINT at = suggested != nullptr ? POINT{suggested->left, suggested->top} : POINT{};
    FitClientArea(layout::MainWindow().clientWidth, layout::MainWindow().clientHeight, dpi,
                  suggested != nullptr ? &at : nullptr);
}

void TMF::M_Menu_Help_AboutClick() {
    // Modeless: the window and the timers go on while it is open.
    about_->ShowOver(hwnd());
}

void TMF::Close() {
    if (closed_ || !station_) return;
    closed_ = true;
    KillTimer(hwnd(), kTimer25Hz);
    KillTimer(hwnd(), kTimerDemo);
    station_->FormClose();
    // The review windows go with the program.
    for (TFR* review : Reviews()) DestroyWindow(review->hwnd());
    ui_->CloseBoxes();
    if (about_) about_->B_CloseClick();
}

LRESULT TMF::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (controls_ && controls_->Handle(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_COMMAND:
            if (const layout::MenuItemEntry* item = menus_->ItemOf(LOWORD(wParam));
                item != nullptr && lParam == 0 && !closed_) {
                Dispatch(item->handler, item->index);
            }
            return 0;
        case WM_INITMENUPOPUP:
            if (const layout::MenuEntry* menu = menus_->MenuOf(reinterpret_cast<HMENU>(wParam));
                menu != nullptr && menu->onOpen != layout::Handler::None && !closed_) {
                // A box that the handler raises is shown once the menu has been handled.
                ui_->BeginDeferringBoxes();
                Dispatch(menu->onOpen, 0);
                ui_->EndDeferringBoxes();
            }
            return 0;
        case WM_DROPFILES: {
            const auto drop = reinterpret_cast<HDROP>(wParam);
            const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            std::vector<std::string> paths;
            for (UINT i = 0; i < count; ++i) {
                std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
                path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
                paths.push_back(Narrow(path));
            }
            DragFinish(drop);
            if (!closed_) {
                for (const std::string& path : paths) OpenReview(path);
            }
            return 0;
        }
        case kShowHeldBoxes:
            ui_->ShowHeldBoxes();
            return 0;
        case WM_TIMER:
            if (closed_) return 0;
            if (wParam == kTimer25Hz) Tick();
            // The demonstration's events only feed the chart, which paints by itself; the 40 ms
            // pass mirrors what they change.
            if (wParam == kTimerDemo) station_->TimerDemoTimer();
            return 0;
        case WM_SIZE:
            // Back from the task bar: the mirror catches up before the controls paint.
            if (wParam != SIZE_MINIMIZED) CatchUp();
            return WindowBase::OnMessage(message, wParam, lParam);
        case WM_PAINT:
            // Uncovered: the same, before the controls paint.
            CatchUp();
            return WindowBase::OnMessage(message, wParam, lParam);
        case WM_CLOSE:
            Close();
            DestroyWindow(hwnd());
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // Logoff or shutdown: the process ends after this returns, as after the close
            // button, so the close runs now, without a box to wait for.
            if (wParam != FALSE && !closed_) {
                if (ui_ && station_) ui_->EndSession(station_->settings().Directory());
                Close();
            }
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
        bool taken = false;
        window.ForEachReview([&msg, &taken](TFR& review) {
            if (taken) return;
            review.controls().Relay(msg);
            taken = IsDialogMessageW(review.hwnd(), &msg) != FALSE;
        });
        if (taken) continue;
        if (window.hwnd() != nullptr && IsDialogMessageW(window.hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace ts::win32
