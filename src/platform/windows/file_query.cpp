#include "platform/windows/file_query.h"

#include "platform/windows/open_file.h"
#include "platform/windows/wide_text.h"

namespace ts {

std::optional<BY_HANDLE_FILE_INFORMATION> QueryFile(const std::string& path, bool followLinks) {
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE file =
        OpenFile(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                 OPEN_EXISTING, flags);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(file, &info) != 0;
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (!ok) {
        ::SetLastError(error);
        return std::nullopt;
    }
    return info;
}

bool LastErrorIsNotFound() {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH ||
           error == ERROR_BAD_NET_NAME || error == ERROR_INVALID_DRIVE;
}

}  // namespace ts
