#include "platform/process_start.h"

#include <windows.h>

#include <string>

namespace ts {

bool StartDetachedProcess(std::string_view commandLine) {
    // The system may write into the command line it is given, so it gets a copy of its own.
    std::string line(commandLine);
    STARTUPINFOA startupInfo{};
    startupInfo.cb = sizeof startupInfo;
    PROCESS_INFORMATION processInfo{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startupInfo, &processInfo)) {
        return false;
    }
    // Nobody waits for the child: it runs on by itself and leaves nothing to collect.
    ::CloseHandle(processInfo.hThread);
    ::CloseHandle(processInfo.hProcess);
    return true;
}

std::size_t ReapFinishedChildren() { return 0; }

}  // namespace ts
