#include "held_open.h"

#include <windows.h>

#include "platform/windows/wide_text.h"

namespace ts {

bool HeldOpen(const std::string& path) {
    // An open handle that shares nothing cannot be had while any other handle is open.
    const HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(file);
    return false;
}

}  // namespace ts
