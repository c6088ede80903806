#include "platform/windows/open_file.h"

#include <array>
#include <cwctype>

#include "platform/windows/wide_text.h"

namespace ts {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The names Windows takes for a device whatever the folder and the extension.
bool IsReservedName(std::wstring_view name) {
    // "NUL.txt", "nul ", "COM1:" and "con.tar.gz" are the device as much as "NUL".
    name = name.substr(0, name.find_first_of(L".:"));
    while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
    std::wstring upper(name);
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    static constexpr std::array<std::wstring_view, 6> kPlain = {L"CON", L"PRN",    L"AUX",
                                                                L"NUL", L"CONIN$", L"CONOUT$"};
    for (const std::wstring_view reserved : kPlain) {
        if (upper == reserved) return true;
    }
    // COM0 to COM9 and LPT0 to LPT9, and with the superscript digits ¹ ² ³.
    if (upper.size() == 4 && (upper.starts_with(L"COM") || upper.starts_with(L"LPT"))) {
        const wchar_t digit = upper[3];
        return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
               digit == L'\u00B3';
    }
    return false;
}

}  // namespace

bool IsDevicePath(std::wstring_view path) {
    // \\.\ and \\?\ in either slant, and the object manager's \??\.
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
        (path[2] == L'.' || path[2] == L'?') && IsSeparator(path[3])) {
        return true;
    }
    if (path.starts_with(L"\\??\\")) return true;
    // The name is what follows the last separator, or the drive: "C:COM1" is the serial port
    // as much as "COM1", whatever the drive's current folder.
    std::size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring_view::npos && path.size() >= 2 && path[1] == L':') last = 1;
    return IsReservedName(last == std::wstring_view::npos ? path : path.substr(last + 1));
}

HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                DWORD flags) {
    const std::wstring wide = Widen(path);
    if (IsDevicePath(wide)) {
        ::SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    return ::CreateFileW(wide.c_str(), access, share, nullptr, disposition,
                         flags | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
}

}  // namespace ts
