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

bool StartsWithNoCase(std::wstring_view text, std::wstring_view start) {
    if (text.size() < start.size()) return false;
    for (std::size_t i = 0; i < start.size(); ++i) {
        if (std::towupper(text[i]) != std::towupper(start[i])) return false;
    }
    return true;
}

// The long form (\\?\, and the object manager's \??\ that it stands for) hands the rest to the
// system as it is. Followed by a drive, a share or a volume it names a file there, which is how
// paths longer than 260 characters are written; anything else after it (COM1, a pipe, a volume
// itself) is a device.
bool IsLongFilePath(std::wstring_view path) {
    if (!path.starts_with(L"\\\\?\\") && !path.starts_with(L"\\??\\")) return false;
    const std::wstring_view rest = path.substr(4);
    const bool letter = !rest.empty() && ((rest[0] >= L'A' && rest[0] <= L'Z') ||
                                          (rest[0] >= L'a' && rest[0] <= L'z'));
    if (letter && rest.size() > 3 && rest[1] == L':' && rest[2] == L'\\') return true;
    if (StartsWithNoCase(rest, L"UNC\\")) return rest.size() > 4;
    if (StartsWithNoCase(rest, L"Volume{")) {
        const std::size_t close = rest.find(L"}\\");
        return close != std::wstring_view::npos && rest.size() > close + 2;
    }
    return false;
}

}  // namespace

bool IsDevicePath(std::wstring_view path) {
    // \\.\ in either slant; \\?\ and \??\ unless a file follows them.
    const bool localDevice = path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
                             (path[2] == L'.' || path[2] == L'?') && IsSeparator(path[3]);
    if ((localDevice || path.starts_with(L"\\??\\")) && !IsLongFilePath(path)) return true;
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
