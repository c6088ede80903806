// trend-record.exe at a logoff or shutdown: Windows tells it through its hidden top-level window,
// and ends the process as soon as the window has answered WM_ENDSESSION, or 5 s after asking. So
// by that answer the stop line must be written and the file closed, and no later than that. The
// recorder's loop is held (its thread suspended) to see what the answer waits for; the test ends
// the process the moment the answer comes, as Windows does.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "base/texts.h"
#include "file_text.h"
#include "platform/text_codec.h"
#include "platform/windows/session_end_window.h"
#include "record/resume_note.h"
#include "recorder_exe_rig.h"
#include "temp_folder.h"

namespace ts {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The recorder live on the emulated library's endless simulated instrument, in its own folder.
class RecorderSessionEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(L"TS_EMULATED_BRIDGES", L"KSL214.8N,TS000001,sim");
        const bool started = recorder_rig::StartRecorderExe(
            "--serial TS000001 --every all --channels 1 --out \"" + out + "\"", child);
        SetEnvironmentVariableW(L"TS_EMULATED_BRIDGES", nullptr);
        ASSERT_TRUE(started);
    }
    void TearDown() override {
        if (child.hProcess == nullptr) return;
        TerminateProcess(child.hProcess, 1);
        WaitForSingleObject(child.hProcess, 5000);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }

    // Asks as Windows does at a logoff and returns the answer to WM_ENDSESSION once it comes.
    std::future<void> EndSession(HWND window) {
        DWORD_PTR answer = 0;
        EXPECT_NE(SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                      5000, &answer),
                  0);
        EXPECT_EQ(answer, TRUE) << "the end of the session is not to be refused";
        return std::async(std::launch::async, [window] {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 20000,
                                &ignored);
        });
    }

    // Its window (the only one of its class) once records are being written, with the
    // recording's loop held; null if that takes longer than 15 s.
    HWND HeldRecording() const {
        for (const auto until = Clock::now() + 15s; Clock::now() < until;
             std::this_thread::sleep_for(50ms)) {
            const HWND window = FindWindowW(kSessionEndWindowClass, nullptr);
            if (window == nullptr || Lines(ReadAll(out)).size() <= 3) continue;
            // Top-level, its parent the desktop: Windows tells a message-only window nothing of
            // the session's end, though wine does, and finds it by its class all the same.
            EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
            SuspendThread(child.hThread);
            return window;
        }
        return nullptr;
    }

    TempFolder folder;
    std::string out = folder / "session.txt";
    PROCESS_INFORMATION child{};
};

TEST_F(RecorderSessionEndTest, TheEndIsAnsweredOnlyOnceTheStopLineIsWrittenAndTheFileClosed) {
    const HWND window = HeldRecording();
    ASSERT_NE(window, nullptr) << "no hidden window, or no records";
    std::future<void> answered = EndSession(window);
    EXPECT_EQ(answered.wait_for(1s), std::future_status::timeout)
        << "answered while the recording was still going";
    ResumeThread(child.hThread);
    answered.wait();
    // Closed by the answer: Windows may end the process at once, and a handle still open would
    // have held back what the system had not yet written.
    const HANDLE closed = CreateFileW(Widen(out).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(closed, INVALID_HANDLE_VALUE) << "the file is still open: " << GetLastError();
    if (closed != INVALID_HANDLE_VALUE) CloseHandle(closed);
    TerminateProcess(child.hProcess, 1);

    const std::vector<std::string> lines = Lines(ReadAll(out));
    ASSERT_GT(lines.size(), 3u);
    EXPECT_NE(lines.back().find(Cp1251Encoder().Encode(text::kResultStopped)), std::string::npos)
        << "the last line is not the stop line: " << lines.back();
    // The system's stop, not the user's: the note stays, marked ended, for --resume.
    const std::optional<ResumeNote> note = ParseResumeNote(Lines(ReadAll(out + ".resume")));
    EXPECT_TRUE(note && note->ended) << "the note went with the stop";
}

TEST_F(RecorderSessionEndTest, AStopThatHangsHoldsTheEndNoLongerThanWindowsWaits) {
    const HWND window = HeldRecording();
    ASSERT_NE(window, nullptr) << "no hidden window, or no records";
    const auto asked = Clock::now();
    EndSession(window).wait();
    const auto waited = Clock::now() - asked;
    EXPECT_GT(waited, 4s);
    EXPECT_LT(waited, 6s);
}

}  // namespace
}  // namespace ts
