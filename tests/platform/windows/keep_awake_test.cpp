// What a recording holds on Windows through the port: the thread's execution state asks for the
// system, the program's window names the recording that holds up a shutdown, and the program is
// registered to be started again, all of it whenever a recording runs, however it started; a
// close that the next start carries on keeps the restart. Windows reads the reason and the restart
// back; wine answers neither (ShutdownBlockReasonQuery is missing, GetApplicationRestartSettings
// says E_NOTIMPL), so under wine what the program asked of the system is read instead.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "base/texts.h"
#include "platform/keep_awake.h"
#include "platform/windows/recording_window.h"
#include "platform/windows/session_end_window.h"

namespace ts {
namespace {

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// The calling thread's execution state, left as it was.
bool SystemRequired() {
    const EXECUTION_STATE state = ::SetThreadExecutionState(ES_CONTINUOUS);
    ::SetThreadExecutionState(state);
    return (state & ES_SYSTEM_REQUIRED) != 0;
}

// Whether a shutdown reason stands on `window`, named from the window's own thread.
bool ReasonOn(HWND window) {
    if (!UnderWine()) {
        DWORD length = 0;
        return ShutdownBlockReasonQuery(window, nullptr, &length) != FALSE;
    }
    const RecordingNotice asked = RecordingNoticeAsked();
    return asked.reasonWindow == window &&
           asked.reasonThread == GetWindowThreadProcessId(window, nullptr);
}

// The arguments the program is to be started again with, if it is registered.
std::optional<std::wstring> Restart() {
    if (!UnderWine()) {
        wchar_t line[RESTART_MAX_CMD_LINE] = {};
        DWORD length = RESTART_MAX_CMD_LINE;
        DWORD flags = 0;
        if (FAILED(GetApplicationRestartSettings(GetCurrentProcess(), line, &length, &flags))) {
            return std::nullopt;
        }
        return line;
    }
    const RecordingNotice asked = RecordingNoticeAsked();
    if (!asked.restartRegistered) return std::nullopt;
    return asked.restartArguments;
}

// A resume can start a recording inside the boxes of the window's construction, before the
// program has said where the reason goes and how it restarts: the recording gets both as they
// come. The first order must run first in the process: the restart's arguments stay once set.
TEST(WindowsKeepAwakeTest, ARecordingHoldsSleepTheReasonAndTheRestartWhicheverCameFirst) {
    for (const bool recordingFirst : {true, false}) {
        SCOPED_TRACE(recordingFirst ? "the recording first" : "the window first");
        const HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr,
                                              nullptr, nullptr, nullptr);
        const std::unique_ptr<KeepAwake> awake = MakeSystemKeepAwake();
        const auto tellTheSystem = [&] {
            SetShutdownReasonWindow(window);
            SetRestartArguments(L"--user-data");
        };
        if (!recordingFirst) tellTheSystem();
        ASSERT_TRUE(awake->Hold(text::kMainCaption, text::kRecordingAwakeReason));
        if (recordingFirst) tellTheSystem();
        EXPECT_TRUE(SystemRequired());
        EXPECT_TRUE(ReasonOn(window));
        EXPECT_EQ(Restart(), L"--user-data");

        // The close at the end of a session: the next start carries the recording on.
        awake->ReleaseKeepingRestart();
        EXPECT_FALSE(SystemRequired());
        EXPECT_FALSE(ReasonOn(window));
        EXPECT_EQ(Restart(), L"--user-data");

        // A recording stopped: nothing to carry on.
        ASSERT_TRUE(awake->Hold(text::kMainCaption, text::kRecordingAwakeReason));
        awake->Release();
        EXPECT_FALSE(SystemRequired());
        EXPECT_FALSE(ReasonOn(window));
        EXPECT_FALSE(Restart().has_value());
        SetShutdownReasonWindow(nullptr);
        ::DestroyWindow(window);
    }
}

// trend-record.exe's only window is its hidden session-end window, on a thread of its own: the
// reason is named there, by that thread.
TEST(WindowsKeepAwakeTest, TheRecordersSessionEndWindowNamesTheReasonFromItsOwnThread) {
    using namespace std::chrono_literals;
    const auto within5s = [](auto done) {
        for (int i = 0; i < 500 && !done(); ++i) std::this_thread::sleep_for(10ms);
        return done();
    };
    WatchSessionEnd([] {});
    HWND window = nullptr;
    ASSERT_TRUE(within5s([&] {
        window = FindWindowW(kSessionEndWindowClass, nullptr);
        return window != nullptr;
    }));
    const std::unique_ptr<KeepAwake> awake = MakeSystemKeepAwake();
    ASSERT_TRUE(awake->Hold(text::kMainCaption, text::kRecordingAwakeReason));
    EXPECT_TRUE(within5s([&] { return ReasonOn(window); }));
    awake->Release();
    EXPECT_TRUE(within5s([&] { return !ReasonOn(window); }));
    // Gone again, so that the recorder's own tests find the child's window by its class.
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace ts
