#pragma once

// Starts trend-record.exe, built beside the test program, as a user's command prompt would.

#include <windows.h>

#include <string>

#include "platform/windows/system_folders.h"
#include "platform/windows/wide_text.h"

namespace ts::recorder_rig {

// `arguments` after the program's quoted path, in `folder` (ours when empty), standard output
// and error to `output` (inherited) or nowhere. False when it did not start.
inline bool StartRecorderExe(const std::string& arguments, PROCESS_INFORMATION& child,
                             const std::string& folder = {}, HANDLE output = nullptr) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
    }
    const std::wstring program = ProgramFolder() + L"\\trend-record.exe";
    std::wstring line = L"\"" + program + L"\" " + Widen(arguments);
    return CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, output != nullptr,
                          CREATE_NO_WINDOW, nullptr,
                          folder.empty() ? nullptr : Widen(folder).c_str(), &startup,
                          &child) != FALSE;
}

}  // namespace ts::recorder_rig
