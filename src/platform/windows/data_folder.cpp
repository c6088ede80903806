#include "platform/data_folder.h"

#include <windows.h>
// After windows.h, which they build on.
#include <knownfolders.h>
#include <shlobj.h>

#include "platform/windows/path_root.h"
#include "platform/windows/wide_text.h"

namespace ts {

std::string UserDataFolder(const std::string& program) {
    wchar_t* folder = nullptr;
    std::string path;
    if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder) == S_OK) {
        path = Narrow(folder) + "\\" + program;
    }
    ::CoTaskMemFree(folder);
    return path;
}

std::string UserDataFolderHelp(const std::string& program) { return "%LOCALAPPDATA%\\" + program; }

const std::string_view kDataFolderStarter = "Start menu shortcut";

bool EnterFolder(const std::string& folder, std::string& error) {
    if (folder.empty()) {
        error = "no user profile folder to keep the settings in";
        return false;
    }
    // Each missing level in turn; the drive or the share at the start is there or not at all.
    const std::size_t root = RootLength(folder);
    for (std::size_t separator = folder.find_first_of("\\/", root);;
         separator = folder.find_first_of("\\/", separator + 1)) {
        const std::string level = folder.substr(0, separator);
        if (level.size() > root && !::CreateDirectoryW(Widen(level).c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            error = level + ": " + SystemErrorText(::GetLastError());
            return false;
        }
        if (separator == std::string::npos) break;
    }
    const std::wstring wide = Widen(folder);
    if (!::SetCurrentDirectoryW(wide.c_str())) {
        error = folder + ": " + SystemErrorText(::GetLastError());
        return false;
    }
    return true;
}

}  // namespace ts
