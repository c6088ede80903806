// trend-record.exe as a user runs it, under wine: the refusals, exit statuses and protected files
// of the Linux program's tests, from the same table (recorder_refusals.h).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "recorder_exe_rig.h"
#include "recorder_refusals.h"

namespace ts {
namespace {

using namespace recorder_rig;

// The program built beside this one, in `folder` (ours when empty), its standard output and
// error into one file, as a command prompt's 2>&1 would; line ends as a Linux terminal shows
// them, so that the expectations are the same.
int RunRecorderExe(const std::string& arguments, std::string* output, const std::string& folder) {
    TempFolder scratch;
    const std::string log = scratch / "output.txt";
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE out = CreateFileW(Widen(log).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    PROCESS_INFORMATION child{};
    const bool started = StartRecorderExe(arguments, child, folder, out);
    CloseHandle(out);
    if (!started) return -1;
    DWORD status = static_cast<DWORD>(-1);
    if (WaitForSingleObject(child.hProcess, 60000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(child.hProcess, &status);
    }
    TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    if (output != nullptr) {
        *output = ReadAll(log);
        std::erase(*output, '\r');
    }
    return static_cast<int>(status);
}

TEST(TrendRecordExeTest, ExitStatusTwoWithAOneLineReason) {
    CheckExitStatusAndForce(RunRecorderExe);
}

// wine makes no symbolic link: the cases through links are the Linux test's alone.
TEST(TrendRecordExeTest, RefusesToNameOneFileTwiceAndDestroysNothing) {
    CheckRefusalsDestroyNothing(RunRecorderExe, false);
}

// A name Windows takes for a device, in any of its spellings, is refused as an output before
// anything is opened, with or without --force: "exists" would send the user to --force, which
// then wrote to the serial port or to nowhere.
TEST(TrendRecordExeTest, ADeviceIsNoOutputInAnySpelling) {
    TempFolder folder;
    WriteAll(folder / "Settings.bin", Settings(folder, 0, false));
    WriteAll(folder / "capture.raw", Capture(0.5));
    WriteTables(folder);
    for (const std::string& device :
         std::vector<std::string>{"C:COM1", "c:nul", "NUL.txt", "COM1 .", "LPT1..", "D:aux.log"}) {
        for (const std::string& outputs :
             {"--out \"" + device + "\"", "--out r.txt --raw \"" + device + "\""}) {
            for (const char* force : {"", " --force"}) {
                SCOPED_TRACE(outputs + force);
                std::string said;
                EXPECT_EQ(
                    RunRecorderExe("--replay capture.raw " + outputs + force, &said, folder.path()),
                    2);
                EXPECT_EQ(said, "trend-record: " + device + " names a device, not a file\n");
                EXPECT_FALSE(Exists(folder / "r.txt"));
            }
        }
    }
}

}  // namespace
}  // namespace ts
