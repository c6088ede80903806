#include "win32_ui.h"

#include <algorithm>

#include "base/texts.h"
#include "platform/windows/wide_text.h"
#include "session_log.h"
#include "window_base.h"

namespace ts::win32 {

namespace {

// The common dialogs' filter: "Description|*.ext" with each bar a zero, and a zero to end.
std::wstring DialogFilter(std::string_view filter) {
    std::wstring wide = Widen(filter);
    for (wchar_t& c : wide) {
        if (c == L'|') c = L'\0';
    }
    wide.push_back(L'\0');
    return wide;
}

struct BoxRequest {
    std::wstring text;
    std::wstring caption;
    UINT flags = MB_OK | MB_SETFOREGROUND;
};

DWORD WINAPI ShowBoxOnItsThread(void* parameter) {
    const auto* request = static_cast<BoxRequest*>(parameter);
    MessageBoxW(nullptr, request->text.c_str(), request->caption.c_str(), request->flags);
    delete request;
    return 0;
}

BOOL CALLBACK CloseDialogWindow(HWND hwnd, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, 16);
    if (std::wstring_view(className) == L"#32770") PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

std::optional<std::string> FileDialog(HWND owner, bool save, std::string_view title,
                                      std::string_view filter, std::string_view extension,
                                      std::string_view suggested) {
    const std::wstring wideTitle = Widen(title);
    const std::wstring wideFilter = DialogFilter(filter);
    const std::wstring wideExtension = Widen(extension);
    std::wstring file(32768, L'\0');
    const std::size_t slash = suggested.find_last_of("/\\");
    const std::wstring folder =
        Widen(slash == std::string_view::npos ? std::string_view{} : suggested.substr(0, slash));
    const std::wstring name =
        Widen(slash == std::string_view::npos ? suggested : suggested.substr(slash + 1));
    std::copy_n(name.begin(), std::min(name.size(), file.size() - 1), file.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = wideFilter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = wideTitle.c_str();
    dialog.lpstrDefExt = wideExtension.c_str();
    if (!folder.empty()) dialog.lpstrInitialDir = folder.c_str();
    // The working folder holds the settings; choosing a file elsewhere must not move it.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    bool chosen;
    if (save) {
        // Asks before an existing file is replaced.
        dialog.Flags |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
        chosen = GetSaveFileNameW(&dialog) != FALSE;
    } else {
        // A typed name of a file that does not exist is taken too: the load then says that
        // the table could not be opened.
        chosen = GetOpenFileNameW(&dialog) != FALSE;
    }
    if (!chosen) return std::nullopt;
    return Narrow(file.c_str());
}

Win32Ui::Win32Ui(HWND owner, StripChart& chart, const Control& fileNameLabel,
                 const ControlSet& controls)
    : owner_(owner), chart_(chart), fileNameLabel_(fileNameLabel), controls_(controls) {}

Win32Ui::~Win32Ui() { CloseBoxes(); }

void Win32Ui::Box(std::string_view text, bool warning) {
    if (sessionEnding_) {
        LogAtSessionEnd(sessionLogFolder_, text);
        return;
    }
    if (deferring_) {
        held_.push_back({warning, std::string(text)});
        return;
    }
    const std::wstring wide = Widen(text);
    const std::wstring caption = Widen(warning ? text::kWarningCaption : text::kAppTitle);
    MessageBoxW(owner_, wide.c_str(), caption.c_str(), MB_OK | (warning ? MB_ICONEXCLAMATION : 0));
}

void Win32Ui::ShowMessage(std::string_view text) { Box(text, false); }

void Win32Ui::ShowWarning(std::string_view text) { Box(text, true); }

void Win32Ui::ShowMessageNonModal(std::string_view text) {
    if (sessionEnding_) {
        LogAtSessionEnd(sessionLogFolder_, text);
        return;
    }
    // A box of its own thread, owned by no window: it blocks neither the window nor the
    // timers, as the modal ones would.
    ForgetEndedBoxThreads();
    BoxOnItsThread(Widen(text), Widen(text::kAppTitle), MB_OK | MB_SETFOREGROUND);
}

void Win32Ui::BoxOnItsThread(std::wstring text, std::wstring caption, UINT flags) {
    auto* request = new BoxRequest{std::move(text), std::move(caption), flags};
    DWORD id = 0;
    const HANDLE thread = CreateThread(nullptr, 0, &ShowBoxOnItsThread, request, 0, &id);
    if (thread == nullptr) {
        delete request;
        return;
    }
    boxThreads_.push_back({thread, id});
}

void Win32Ui::ForgetEndedBoxThreads() {
    std::erase_if(boxThreads_, [](const BoxThread& t) {
        if (WaitForSingleObject(t.handle, 0) != WAIT_OBJECT_0) return false;
        CloseHandle(t.handle);
        return true;
    });
}

void Win32Ui::CloseBoxes() {
    EnumThreadWindows(GetCurrentThreadId(), &CloseDialogWindow, 0);
    for (const BoxThread& t : boxThreads_) {
        // The box may not be up yet: ask again until its thread has ended, for a while.
        for (int attempt = 0; attempt < 100; ++attempt) {
            EnumThreadWindows(t.id, &CloseDialogWindow, 0);
            if (WaitForSingleObject(t.handle, 50) == WAIT_OBJECT_0) break;
        }
        CloseHandle(t.handle);
    }
    boxThreads_.clear();
}

void Win32Ui::EndSession(const std::string& folder) {
    sessionEnding_ = true;
    sessionLogFolder_ = folder;
    CloseBoxes();
    for (const HeldBox& box : held_) LogAtSessionEnd(folder, box.text);
    held_.clear();
}

void Win32Ui::EndDeferringBoxes() {
    deferring_ = false;
    if (!held_.empty()) PostMessageW(owner_, kShowHeldBoxes, 0, 0);
}

void Win32Ui::EndDeferringBoxesBeside(std::string_view earlier) {
    deferring_ = false;
    std::vector<HeldBox> boxes;
    boxes.swap(held_);
    if (!earlier.empty()) boxes.insert(boxes.begin(), {false, std::string(earlier)});
    for (const HeldBox& box : boxes) {
        if (sessionEnding_) {
            LogAtSessionEnd(sessionLogFolder_, box.text);
            continue;
        }
        ForgetEndedBoxThreads();
        BoxOnItsThread(Widen(box.text),
                       Widen(box.warning ? text::kWarningCaption : text::kAppTitle),
                       MB_OK | (box.warning ? MB_ICONEXCLAMATION : 0u));
    }
}

void Win32Ui::ShowHeldBoxes() {
    // The menu that was opening is closed first: a modal box over an open menu would leave
    // both waiting for input.
    EndMenu();
    std::vector<HeldBox> boxes;
    boxes.swap(held_);
    for (const HeldBox& box : boxes) Box(box.text, box.warning);
}

std::optional<std::string> Win32Ui::ChooseTableFile() {
    return FileDialog(owner_, false, text::kTableDialogTitle, text::kTableDialogFilter,
                      text::kTableDialogDefaultExt);
}

std::optional<std::string> Win32Ui::ChooseResultFile() {
    return FileDialog(owner_, true, text::kSaveDialogTitle, text::kSaveDialogFilter,
                      text::kSaveDialogDefaultExt);
}

std::optional<std::string> Win32Ui::ChooseRecordingFile() {
    return FileDialog(owner_, false, text::kOpenDialogTitle, text::kOpenDialogFilter,
                      text::kSaveDialogDefaultExt);
}

void Win32Ui::OpenReview(const std::string& path) {
    if (reviewOpener_) reviewOpener_(path);
}

std::optional<Color> Win32Ui::ChooseColor(Color initial) {
    // The custom colours a user mixed stay for the next choice, as long as the program runs.
    static COLORREF customColors[16] = {};
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner_;
    dialog.rgbResult = static_cast<COLORREF>(initial);  // both are 0x00BBGGRR
    dialog.lpCustColors = customColors;
    dialog.Flags = CC_RGBINIT | CC_ANYCOLOR;
    if (!ChooseColorW(&dialog)) return std::nullopt;
    return static_cast<Color>(dialog.rgbResult & 0xFFFFFFu);
}

void Win32Ui::SetBottomAxisMinimum(double value) { chart_.SetBottomMinimum(value); }

void Win32Ui::SetBottomAxisMaximum(double value) { chart_.SetBottomMaximum(value); }

void Win32Ui::EmptySeries(int channel) { chart_.EmptySeries(channel); }

void Win32Ui::SetSeriesPoints(int channel, double firstX, std::span<const float> y, Color color) {
    chart_.SetSeries(channel, firstX, y, color);
}

int Win32Ui::LabelTextWidth(std::string_view text) const {
    const std::wstring wide = Widen(text);
    const HDC dc = GetDC(fileNameLabel_.hwnd);
    const HGDIOBJ old = SelectObject(dc, controls_.Font(fileNameLabel_.font));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(fileNameLabel_.hwnd, dc);
    const int dpi = static_cast<int>(controls_.dpi());
    return (size.cx * 96 + dpi - 1) / dpi;
}

int Win32Ui::FileNameTextWidth(std::string_view text) {
    // The shortening rule counts in pixels of the original 8-point face for a 305-pixel
    // label; the label here has room for kFileNameRoom pixels, at any DPI, so widths are
    // scaled to keep the rule's limit meaning "fits the label".
    return (LabelTextWidth(text) * 305 + layout::kFileNameRoom - 1) / layout::kFileNameRoom;
}

}  // namespace ts::win32
