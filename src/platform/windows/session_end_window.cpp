#include "platform/windows/session_end_window.h"

#include <windows.h>

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
