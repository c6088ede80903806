#include "platform/process_start.h"

#include <windows.h>

#include <string>

#include "platform/windows/system_folders.h"
#include "platform/windows/wide_text.h"

namespace ts {

namespace {

// The program a command line names: its first argument, quoted or up to the first blank, and
// where the rest of the line begins.
std::wstring_view FirstArgument(std::wstring_view line, std::size_t& rest) {
    if (!line.empty() && line.front() == L'"') {
        const std::size_t close = line.find(L'"', 1);
        rest = close == std::wstring_view::npos ? line.size() : close + 1;
        return line.substr(1, (close == std::wstring_view::npos ? line.size() : close) - 1);
    }
    rest = line.find_first_of(L" \t");
    if (rest == std::wstring_view::npos) rest = line.size();
    return line.substr(0, rest);
}

bool IsAbsolute(std::wstring_view path) {
    return (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\');
}

// A bare name is the program's own folder's file of that name; a full path stays as it is. A
// relative path would be taken from the working folder, which holds the user's files: none.
std::wstring ProgramPath(std::wstring_view name) {
    if (name.empty()) return {};
    if (name.find_first_of(L"\\/:") == std::wstring_view::npos) {
        const std::wstring folder = ProgramFolder();
        return folder.empty() ? std::wstring() : folder + L"\\" + std::wstring(name);
    }
    return IsAbsolute(name) ? std::wstring(name) : std::wstring();
}

bool IsUtf8(std::string_view text) {
    return text.empty() || ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                                 static_cast<int>(text.size()), nullptr, 0) > 0;
}

}  // namespace

bool StartDetachedProcess(std::string_view commandLine) {
    // The line goes to the system as UTF-16, so a serial with letters outside the ANSI code page
    // arrives as it is; bytes that are no UTF-8 would arrive changed, and are not sent at all.
    if (!IsUtf8(commandLine)) return false;
    const std::wstring wide = Widen(commandLine);
    std::size_t rest = 0;
    const std::wstring program = ProgramPath(FirstArgument(wide, rest));
    if (program.empty()) return false;
    // Named by its full path, the program is never searched for: neither the working folder
    // nor the PATH can offer one of their own. The system may write into the line it is given.
    std::wstring line = L"\"" + program + L"\"" + wide.substr(rest);
    STARTUPINFOW startupInfo{};
    startupInfo.cb = sizeof startupInfo;
    PROCESS_INFORMATION processInfo{};
    // A console program started from the window would flash a console window up.
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startupInfo, &processInfo)) {
        return false;
    }
    // Nobody waits for the child: it runs on by itself and leaves nothing to collect.
    ::CloseHandle(processInfo.hThread);
    ::CloseHandle(processInfo.hProcess);
    return true;
}

std::size_t ReapFinishedChildren() { return 0; }

}  // namespace ts
