#include "user_data_folder.h"

#include "wide_text.h"
#include "win32.h"

namespace ts::win32 {

namespace {

std::string SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return Utf8(text);
}

}  // namespace

bool EnterUserDataFolder(std::string& error) {
    wchar_t* base = nullptr;
    const HRESULT found =
        SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &base);
    if (FAILED(found)) {
        if (base != nullptr) CoTaskMemFree(base);
        error = SystemMessage(static_cast<DWORD>(found));
        return false;
    }
    std::wstring folder = std::wstring(base) + L"\\trend-station";
    CoTaskMemFree(base);
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        error = Utf8(folder) + ": " + SystemMessage(GetLastError());
        return false;
    }
    if (!SetCurrentDirectoryW(folder.c_str())) {
        error = Utf8(folder) + ": " + SystemMessage(GetLastError());
        return false;
    }
    return true;
}

}  // namespace ts::win32
