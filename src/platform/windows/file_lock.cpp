#include "platform/file_lock.h"

#include <windows.h>

#include "platform/windows/open_file.h"
#include "platform/windows/wide_text.h"

namespace ts {

namespace {

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The byte that is locked, far past the end of any note: reads and writes of the note's own
// bytes, through any handle, are never refused for the lock.
constexpr DWORD kLockedByteHigh = 0x40000000;

}  // namespace

FileLock::Outcome FileLock::Take(const std::string& path) {
    Release();
    problem_.clear();
    // Others may read, write and remove it, as on Linux; only the lock is exclusive.
    const HANDLE file = OpenFile(path, GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) {
        problem_ = SystemErrorText(::GetLastError());
        return Outcome::Failed;
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        problem_ = "it is not a regular file";
        return Outcome::Failed;
    }
    OVERLAPPED at{};
    at.OffsetHigh = kLockedByteHigh;
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(file);
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
            return Outcome::HeldElsewhere;
        }
        problem_ = SystemErrorText(error);
        return Outcome::Failed;
    }
    // A file being removed by its holder cannot be opened any more (its removal waits only for
    // the holder's handle), so what is taken here is what the path names.
    handle_ = reinterpret_cast<std::intptr_t>(file);
    path_ = path;
    return Outcome::Taken;
}

void FileLock::RemoveAndRelease() {
    if (!Held()) return;
    // Marked for removal while still held; the name goes as the handle closes.
    ::DeleteFileW(Widen(path_).c_str());
    Release();
}

void FileLock::Release() {
    if (!Held()) return;
    ::CloseHandle(Handle(handle_));
    handle_ = kNone;
    path_.clear();
}

}  // namespace ts
