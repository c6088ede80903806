#include "platform/windows/session_end_window.h"

#include <windows.h>

#include "platform/windows/recording_window.h"

namespace ts {

namespace {

void (*sessionEnds)() = nullptr;

LRESULT CALLBACK OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_QUERYENDSESSION:
            // Nothing to refuse: the recording is stopped cleanly when the end comes.
            return TRUE;
        case WM_ENDSESSION:
            // FALSE: another program refused, and the session goes on.
            if (wParam != FALSE && sessionEnds != nullptr) sessionEnds();
            return 0;
        case kShowShutdownReasonMessage:
            ShowShutdownReason(window);
            return 0;
        case WM_DESTROY:
            SetShutdownReasonWindow(nullptr);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

DWORD WINAPI RunWindow(void*) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = OnMessage;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kSessionEndWindowClass;
    if (RegisterClassW(&windowClass) == 0) return 1;
    // Top-level, never shown: a message-only window is not told of the session's end.
    const HWND window = CreateWindowExW(0, kSessionEndWindowClass, L"", WS_OVERLAPPED, 0, 0, 0, 0,
                                        nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return 1;
    // Where Windows names the recording that holds up a shutdown, as it does the window's.
    SetShutdownReasonWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

}  // namespace

void WatchSessionEnd(void (*onEnd)()) {
    sessionEnds = onEnd;
    // Never joined: it lives as long as the process, which ends without waiting for it.
    const HANDLE thread = CreateThread(nullptr, 0, RunWindow, nullptr, 0, nullptr);
    if (thread != nullptr) CloseHandle(thread);
}

}  // namespace ts
