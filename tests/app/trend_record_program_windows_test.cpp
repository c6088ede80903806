// trend-record.exe as a user runs it, under wine: the refusals, exit statuses and protected files
// of the Linux program's tests, from the same table (recorder_refusals.h).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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

}  // namespace
}  // namespace ts
