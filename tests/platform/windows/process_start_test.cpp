// The re-enumeration tool is run with an administrator's rights: it must be the one beside the
// program, never a copy in the working folder, which the system searches first, and its serial
// must arrive as the program holds it whatever the ANSI code page.
#include "platform/process_start.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "file_text.h"
#include "platform/windows/system_folders.h"
#include "platform/windows/wide_text.h"
#include "temp_folder.h"

namespace ts {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The devcon.exe double laid beside this program under a name of its own, and in the working
// folder under another; each logs the command line it was started with.
class ProcessStartTest : public ::testing::Test {
protected:
    ProcessStartTest() {
        const fs::path built = fs::path(ProgramFolder()) / "test-doubles" / "devcon.exe";
        // Left by a run that was cut short, maybe.
        std::error_code ignored;
        fs::remove(beside, ignored);
        fs::copy_file(built, beside);
        fs::copy_file(built, fs::u8path(folder / "ts-planted.exe"));
        previous = fs::current_path();
        fs::current_path(fs::u8path(folder.path()));
        SetEnvironmentVariableW(L"TS_DEVCON_LOG", Widen(log).c_str());
    }
    ~ProcessStartTest() override {
        SetEnvironmentVariableW(L"TS_DEVCON_LOG", nullptr);
        fs::current_path(previous);
        std::error_code ignored;
        fs::remove(beside, ignored);
    }

    // The child is not waited for by the program; the test waits for its line.
    std::string Started() const {
        for (const auto until = std::chrono::steady_clock::now() + 5s;
             std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(20ms)) {
            const std::string text = ReadAll(log);
            if (!text.empty() && text.back() == '\n') return text;
        }
        return ReadAll(log);
    }

    TempFolder folder;
    fs::path beside = fs::path(ProgramFolder()) / "ts-start-double.exe";
    std::string log = folder / "started.log";
    fs::path previous;
};

TEST_F(ProcessStartTest, TheProgramBesideThisOneIsStartedByItsFullPathWithTheLineUnchanged) {
    const std::string arguments = R"( disable "@USB\VID_0403&PID_6001\Серия-Ωβ7")";
    ASSERT_TRUE(StartDetachedProcess("ts-start-double.exe" + arguments));
    EXPECT_EQ(Started(), "\"" + Narrow(beside.wstring()) + "\"" + arguments + "\n");
}

TEST_F(ProcessStartTest, NothingOutsideThisProgramsFolderIsStarted) {
    const char* const lines[] = {
        "ts-planted.exe disable x",     // only in the working folder, which is searched first
        ".\\ts-planted.exe disable x",  // a path relative to the working folder
        "ts-start-double.exe disable \"@USB\\VID_0403&PID_6001\\\xC0\xFF\"",  // not UTF-8
    };
    for (const char* line : lines) EXPECT_FALSE(StartDetachedProcess(line)) << line;
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(ReadAll(log), "");
}

}  // namespace
}  // namespace ts
