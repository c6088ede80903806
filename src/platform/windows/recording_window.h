#pragma once

#include <windows.h>

#include <string>

namespace ts {

// What the program tells the system while it records (see KeepAwake): the window where Windows
// names the recording that holds up a shutdown, and the arguments to start the program again with
// after an update's restart or a crash, so that the recording goes on by itself. Without them only
// sleep is held off. Either may come before or after the recording starts (a resume can start
// inside the boxes of the window's construction): a recording that runs has both from then on.
void SetShutdownReasonWindow(HWND window);
void SetRestartArguments(std::wstring arguments);

// Only a window's own thread may name a shutdown reason on it. A window of another thread (the
// recorder's session-end window) is sent this message and answers it by calling
// ShowShutdownReason with itself.
inline constexpr UINT kShowShutdownReasonMessage = WM_APP + 0x100;
void ShowShutdownReason(HWND window);

// What the system was last asked, for the tests: wine answers neither ShutdownBlockReasonQuery nor
// GetApplicationRestartSettings.
struct RecordingNotice {
    HWND reasonWindow = nullptr;  // where a reason stands, named from this thread
    DWORD reasonThread = 0;
    bool restartRegistered = false;
    std::wstring restartArguments;
};
RecordingNotice RecordingNoticeAsked();

}  // namespace ts
