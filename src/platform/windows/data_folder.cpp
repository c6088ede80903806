#include "platform/data_folder.h"

#include <windows.h>
// After windows.h, which they build on.
#include <knownfolders.h>
#include <shlobj.h>

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

std::string UserDataFolderHelp(const std::string& program) {
    return "%LOCALAPPDATA%\\" + program;
}

const std::string_view kDataFolderStarter = "Start menu shortcut";

bool EnterFolder(const std::string& folder, std::string& error) {
    if (folder.empty()) {
        error = "no user profile folder to keep the settings in";
        return false;
    }
    const std::wstring wide = Widen(folder);
    // Each missing level in turn; the drive or the share at the start is there or not at all.
    std::size_t start = 0;
    if (wide.starts_with(L"\\\\")) {
        start = wide.find_first_of(L"\\/", 2);
        if (start != std::wstring::npos) start = wide.find_first_of(L"\\/", start + 1);
    } else if (wide.size() >= 2 && wide[1] == L':') {
        start = 2;
    }
    for (std::size_t separator =
             start == std::wstring::npos ? start : wide.find_first_of(L"\\/", start + 1);
         ; separator = wide.find_first_of(L"\\/", separator + 1)) {
        const std::wstring level = wide.substr(0, separator);
        if (!level.empty() && level.back() != L':' && !::CreateDirectoryW(level.c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            error = Narrow(level) + ": " + SystemErrorText(::GetLastError());
            return false;
        }
        if (separator == std::wstring::npos) break;
    }
    if (!::SetCurrentDirectoryW(wide.c_str())) {
        error = folder + ": " + SystemErrorText(::GetLastError());
        return false;
    }
    return true;
}

}  // namespace ts
