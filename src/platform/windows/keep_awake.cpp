// Holds off sleep on Windows: the execution state of the thread that starts the recording (the
// window's, which lives as long as the recording), and a shutdown reason on the program's window
// so that Windows names the recording when a shutdown or an update's restart comes. The window
// program is also registered for a restart while it records: Windows starts it again after an
// update's restart or a crash, and the recording goes on (RecordingResume).
#include <windows.h>

#include <atomic>
#include <string>
#include <utility>

#include "platform/keep_awake.h"
#include "platform/windows/recording_window.h"
#include "platform/windows/wide_text.h"

namespace ts {

namespace {

std::atomic<HWND> reasonWindow{nullptr};
// Set once before any recording, on the window's thread.
std::wstring restartArguments;
bool restartWanted = false;

class WindowsKeepAwake final : public KeepAwake {
public:
    ~WindowsKeepAwake() override { Release(); }

    bool Hold(std::string_view, std::string_view why) override {
        if (held_) return true;
        // Sleep held off, the display left to its own time.
        if (::SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) == 0) return false;
        held_ = true;
        window_ = reasonWindow.load();
        if (window_ != nullptr) ::ShutdownBlockReasonCreate(window_, Widen(why).c_str());
        if (restartWanted) ::RegisterApplicationRestart(restartArguments.c_str(), 0);
        return true;
    }

    void Release() override {
        if (!held_) return;
        ::SetThreadExecutionState(ES_CONTINUOUS);
        if (window_ != nullptr) ::ShutdownBlockReasonDestroy(window_);
        if (restartWanted) ::UnregisterApplicationRestart();
        window_ = nullptr;
        held_ = false;
    }

private:
    bool held_ = false;
    HWND window_ = nullptr;
};

}  // namespace

void SetShutdownReasonWindow(HWND window) { reasonWindow = window; }

void SetRestartArguments(std::wstring arguments) {
    restartArguments = std::move(arguments);
    restartWanted = true;
}

std::unique_ptr<KeepAwake> MakeSystemKeepAwake() { return std::make_unique<WindowsKeepAwake>(); }

}  // namespace ts
