#include "platform/file_status.h"

#include <windows.h>

#include <atomic>

#include "platform/windows/file_query.h"
#include "platform/windows/open_file.h"
#include "platform/windows/wide_text.h"

namespace ts {

bool NamesDevice(const std::string& path) { return IsDevicePath(Widen(path)); }

bool NothingAt(const std::string& path) {
    // A device is something, and nothing the program may write to.
    const std::wstring wide = Widen(path);
    if (IsDevicePath(wide)) return false;
    return ::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES && LastErrorIsNotFound();
}

bool FileMissing(const std::string& path) { return !QueryFile(path) && LastErrorIsNotFound(); }

bool IsFolder(const std::string& path) {
    const auto info = QueryFile(path);
    return info && (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveFile(const std::string& path) {
    return ::DeleteFileW(Widen(path).c_str()) != 0 || LastErrorIsNotFound();
}

bool MayWriteFile(const std::string& path) {
    // The read-only attribute of a file says no whoever asks (a folder's means nothing); the
    // access list is asked by opening for writing, which changes nothing (for a folder the same
    // right means adding a file).
    const std::wstring wide = Widen(path);
    if (IsDevicePath(wide)) return false;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return false;
    }
    const HANDLE file =
        OpenFile(path, FILE_WRITE_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

bool MayCreateIn(const std::string& folder) {
    // The rights of a folder are an access list that only a try reads reliably: a file is made
    // there and goes again as its handle closes.
    static std::atomic<unsigned> counter{0};
    std::string probe = folder;
    if (!probe.empty() && probe.back() != '\\' && probe.back() != '/' && probe.back() != ':') {
        probe += '\\';
    }
    probe += ".trend-station-probe-" + std::to_string(::GetCurrentProcessId()) + "-" +
             std::to_string(counter.fetch_add(1)) + ".tmp";
    const HANDLE file =
        OpenFile(probe, GENERIC_WRITE, 0, CREATE_NEW,
                 FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

void RemoveIfEmptyRegularFile(const std::string& path) {
    // Looked at without following a link: a link itself is never removed, nor what it leads to.
    const auto info = QueryFile(path, false);
    if (!info) return;
    const DWORD notPlain =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if ((info->dwFileAttributes & notPlain) != 0) return;
    if (info->nFileSizeHigh != 0 || info->nFileSizeLow != 0) return;
    ::DeleteFileW(Widen(path).c_str());
}

}  // namespace ts
