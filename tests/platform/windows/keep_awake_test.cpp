// Sleep held off on Windows through the port: the thread's execution state asks for the system
// while held and no more once released; a window for the shutdown reason changes nothing of that.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/texts.h"
#include "platform/keep_awake.h"
#include "platform/windows/recording_window.h"

namespace ts {
namespace {

// The calling thread's execution state, left as it was.
EXECUTION_STATE ThreadState() {
    const EXECUTION_STATE state = ::SetThreadExecutionState(ES_CONTINUOUS);
    ::SetThreadExecutionState(state);
    return state;
}

TEST(WindowsKeepAwakeTest, TheSystemIsRequiredExactlyWhileHeld) {
    const HWND window =
        ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    for (const HWND reasonWindow : {HWND{}, window}) {
        SCOPED_TRACE(reasonWindow == nullptr ? "no window" : "a window");
        SetShutdownReasonWindow(reasonWindow);
        const std::unique_ptr<KeepAwake> awake = MakeSystemKeepAwake();
        ASSERT_TRUE(awake->Hold(text::kMainCaption, text::kRecordingAwakeReason));
        EXPECT_EQ(ThreadState() & (ES_CONTINUOUS | ES_SYSTEM_REQUIRED),
                  EXECUTION_STATE{ES_CONTINUOUS | ES_SYSTEM_REQUIRED});
        awake->Release();
        EXPECT_EQ(ThreadState() & ES_SYSTEM_REQUIRED, 0u);
    }
    SetShutdownReasonWindow(nullptr);
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace ts
