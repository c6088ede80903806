// Holds off sleep on Windows: the execution state of the thread that starts the recording (the
// window's, which lives as long as the recording), and a shutdown reason on the program's window
// so that Windows names the recording when a shutdown or an update's restart comes. The program
// is also registered for a restart while it records: Windows starts it again after an update's
// restart or a crash, and the recording goes on (RecordingResume).
#include <windows.h>

#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "platform/keep_awake.h"
#include "platform/windows/recording_window.h"
#include "platform/windows/wide_text.h"

namespace ts {

namespace {

// The recorder's session-end window lives on a thread of its own: all of this is shared with it.
std::mutex guard;
HWND reasonWindow = nullptr;
bool recording = false;
std::wstring reason;
std::optional<std::wstring> restartArguments;
RecordingNotice asked;

// Names the reason on `window` while recording, takes it away otherwise; on another thread's
// window by that thread. Called with the guard held.
void ShowReasonOn(HWND window) {
    if (window == nullptr) return;
    if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) {
        ::PostMessageW(window, kShowShutdownReasonMessage, 0, 0);
        return;
    }
    if (recording) {
        ::ShutdownBlockReasonCreate(window, reason.c_str());
        asked.reasonWindow = window;
        asked.reasonThread = ::GetCurrentThreadId();
    } else if (asked.reasonWindow == window) {
        ::ShutdownBlockReasonDestroy(window);
        asked.reasonWindow = nullptr;
        asked.reasonThread = 0;
    }
}

// Registers the restart while recording, once the arguments are known. Called with the guard held.
void RegisterRestart() {
    if (!recording || !restartArguments || asked.restartRegistered) return;
    ::RegisterApplicationRestart(restartArguments->c_str(), 0);
    asked.restartRegistered = true;
    asked.restartArguments = *restartArguments;
}

class WindowsKeepAwake final : public KeepAwake {
public:
    ~WindowsKeepAwake() override { Release(); }

    bool Hold(std::string_view, std::string_view why) override {
        if (held_) return true;
        // Sleep held off, the display left to its own time.
        if (::SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) == 0) return false;
        held_ = true;
        const std::lock_guard lock(guard);
        recording = true;
        reason = Widen(why);
        ShowReasonOn(reasonWindow);
        RegisterRestart();
        return true;
    }

    void Release() override { LetGo(false); }
    void ReleaseKeepingRestart() override { LetGo(true); }

private:
    void LetGo(bool keepRestart) {
        if (!held_) return;
        ::SetThreadExecutionState(ES_CONTINUOUS);
        held_ = false;
        const std::lock_guard lock(guard);
        recording = false;
        ShowReasonOn(reasonWindow);
        if (!keepRestart && asked.restartRegistered) {
            ::UnregisterApplicationRestart();
            asked.restartRegistered = false;
        }
    }

    bool held_ = false;
};

}  // namespace

void SetShutdownReasonWindow(HWND window) {
    const std::lock_guard lock(guard);
    // A window is let go as it is destroyed, its reason with it.
    if (asked.reasonWindow != window)
        asked = {.restartRegistered = asked.restartRegistered,
                 .restartArguments = asked.restartArguments};
    reasonWindow = window;
    ShowReasonOn(window);
}

void SetRestartArguments(std::wstring arguments) {
    const std::lock_guard lock(guard);
    restartArguments = std::move(arguments);
    RegisterRestart();
}

void ShowShutdownReason(HWND window) {
    const std::lock_guard lock(guard);
    if (window == reasonWindow) ShowReasonOn(window);
}

RecordingNotice RecordingNoticeAsked() {
    const std::lock_guard lock(guard);
    return asked;
}

std::unique_ptr<KeepAwake> MakeSystemKeepAwake() { return std::make_unique<WindowsKeepAwake>(); }

}  // namespace ts
