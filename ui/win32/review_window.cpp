#include "review_window.h"

#include "base/texts.h"
#include "form_mirror.h"
#include "platform/windows/wide_text.h"
#include "win32_ui.h"

namespace ts::win32 {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT_PTR kTimerReview = 1;
// The reader looks at a followed file four times a second; the window as often.
constexpr UINT kTickMilliseconds = 250;

}  // namespace

TFR::TFR() : model_(*this) {
    CreateWindowOf(L"TsReviewWindow", kStyle, 0, nullptr, Widen(layout::ReviewWindow().caption),
                   RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT});
    const UINT dpi = GetDpiForWindow(hwnd());
    controls_ = std::make_unique<ControlSet>(hwnd(), dpi);
    const auto& controls = layout::ReviewWindowControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const layout::ControlEntry& entry = controls[i];
        const layout::Place p = layout::PlaceInWindow(controls, i);
        if (entry.kind == layout::Kind::ReviewChart) {
            chart_.Create(hwnd(), {p.x, p.y, p.width, p.height}, dpi,
                          controls_->Font(FontKind::Normal));
        }
        made_.push_back(
            MakeControl(*controls_, entry, {p.x, p.y, p.width, p.height},
                        {[this, &entry](bool checked) {
                             TakeClick(model_.form(), entry, checked);
                             Dispatch(entry.handler, entry.index);
                         },
                         [this, &entry](int item) { TakeItemIndex(model_.form(), entry, item); },
                         [this, &entry](int position) {
                             TakeScroll(model_.form(), position);
                             Dispatch(entry.handler, entry.index);
                         }}));
        ties_.push_back(TieOf(model_.form(), entry));
    }
    // The group frames lie under the controls drawn over them.
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].kind != layout::Kind::GroupBox) continue;
        SetWindowPos(made_[i]->hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    chart_.SetModel(&model_, [this] { ApplyForm(); });
    FitToDpi(dpi, nullptr);
}

TFR::~TFR() { StopTicking(); }

std::string TFR::Open(const std::string& path, const ChartColors& colors,
                      review::DateOrder dateOrder) {
    std::string problem = model_.Open(path, colors, dateOrder);
    if (!problem.empty()) return problem;
    SetWindowTextW(hwnd(), Widen(model_.form().Caption).c_str());
    ApplyForm();
    opened_ = true;
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    StartTicking();
    return {};
}

void TFR::FitToDpi(UINT dpi, const RECT* suggested) {
    controls_->SetDpi(dpi);
    chart_.SetDpi(dpi, controls_->Font(FontKind::Normal));
    const POINT at = suggested != nullptr ? POINT{suggested->left, suggested->top} : POINT{};
    FitClientArea(layout::ReviewWindow().clientWidth, layout::ReviewWindow().clientHeight, dpi,
                  suggested != nullptr ? &at : nullptr);
}

void TFR::Dispatch(layout::Handler handler, int index) {
    RunHandler(model_, handler, index);
    ApplyForm();
    chart_.Changed();
}

void TFR::StartTicking() {
    if (ticking_) return;
    // Set again at every size message, the timer would never come while the window is dragged
    // larger: it starts only when it is not running.
    SetTimer(hwnd(), kTimerReview, kTickMilliseconds, nullptr);
    ticking_ = true;
}

void TFR::StopTicking() {
    if (ticking_ && hwnd() != nullptr) KillTimer(hwnd(), kTimerReview);
    ticking_ = false;
}

void TFR::Tick() {
    // Nothing is drawn while minimized; the reader goes on, and the window catches up when it
    // is shown again.
    if (IsIconic(hwnd())) return;
    // A finished file read to its end is not drawn again four times a second for nothing.
    const bool redraw = model_.Tick();
    ApplyForm();
    if (redraw) chart_.Changed();
}

void TFR::ApplyForm() {
    const auto& controls = layout::ReviewWindowControls();
    for (std::size_t i = 0; i < made_.size(); ++i) {
        if (controls[i].kind == layout::Kind::ReviewChart) {
            chart_.SetBackgroundColor(*ties_[i].color);
            chart_.SetGridColor(*ties_[i].gridColor);
            continue;
        }
        MirrorTie(controls[i].kind, made_[i].get(), ties_[i], *controls_);
    }
}

void TFR::ShowMessage(std::string_view text) {
    MessageBoxW(hwnd(), Widen(text).c_str(), Widen(text::kAppTitle).c_str(), MB_OK);
}

std::optional<std::string> TFR::ChooseExportFile(ExportKind kind, const std::string& suggested) {
    const bool csv = kind == ExportKind::Csv;
    return FileDialog(hwnd(), true, csv ? text::kCsvDialogTitle : text::kPngDialogTitle,
                      csv ? text::kCsvDialogFilter : text::kPngDialogFilter,
                      csv ? text::kCsvDialogDefaultExt : text::kPngDialogDefaultExt, suggested);
}

bool TFR::WriteChartPicture(const std::string& path) { return chart_.WritePng(path); }

LRESULT TFR::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (controls_ && controls_->Handle(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_TIMER:
            if (wParam == kTimerReview) Tick();
            return 0;
        case WM_SIZE:
            // Minimized, the window would wake four times a second for nothing: its timer waits
            // for the window to come back, and the window then catches up at once.
            if (wParam == SIZE_MINIMIZED) {
                StopTicking();
            } else if ((wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) && controls_) {
                if (opened_) StartTicking();
                Tick();
            }
            return WindowBase::OnMessage(message, wParam, lParam);
        case WM_CLOSE:
            StopTicking();
            DestroyWindow(hwnd());
            return 0;
        case WM_DPICHANGED:
            FitToDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            ApplyForm();
            return 0;
        default:
            return WindowBase::OnMessage(message, wParam, lParam);
    }
}

}  // namespace ts::win32
