#include "platform/process_start.h"

#include <windows.h>

#include <string>

#include "platform/windows/wide_text.h"

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

std::string OwnFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    const auto separator = buffer.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return {};
    return Narrow(std::wstring_view(buffer).substr(0, separator));
}

}  // namespace ts
