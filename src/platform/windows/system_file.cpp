#include "platform/system_file.h"

#include <windows.h>

#include <algorithm>

#include "platform/windows/file_query.h"
#include "platform/windows/open_file.h"
#include "platform/windows/wide_text.h"

namespace ts {

namespace {

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Opens an existing file on a disk for `access`, or gives -1. Others may go on reading,
// writing, renaming or deleting it, as on Linux. A folder does not open without backup
// semantics; a pipe, the console or a device does, and is refused.
std::intptr_t OpenOnDisk(const std::string& path, DWORD access) {
    const HANDLE file =
        OpenFile(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return -1;
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return -1;
    }
    return reinterpret_cast<std::intptr_t>(file);
}

// Larger requests go in pieces: one call moves at most what a DWORD counts.
constexpr std::size_t kMaxPiece = 1u << 30;

}  // namespace

bool SystemFile::OpenRegularForReading(const std::string& path) {
    Close();
    handle_ = OpenOnDisk(path, GENERIC_READ);
    return IsOpen();
}

bool SystemFile::OpenForWriting(const std::string& path, bool replace) {
    Close();
    // Readers are welcome while the file is written (a viewer following a recording); a pipe
    // without a server fails at once.
    // Writers are let in too, only so that the sync's second handle can be opened beside this
    // one (see OpenSecondHandle).
    const HANDLE file =
        OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                 replace ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool SystemFile::OpenExistingForUpdate(const std::string& path) {
    Close();
    handle_ = OpenOnDisk(path, GENERIC_READ | GENERIC_WRITE);
    LARGE_INTEGER end{};
    if (IsOpen() && !::SetFilePointerEx(Handle(handle_), LARGE_INTEGER{}, &end, FILE_END)) Close();
    return IsOpen();
}

bool SystemFile::OpenExistingForWriting(const std::string& path) {
    Close();
    handle_ = OpenOnDisk(path, GENERIC_WRITE);
    return IsOpen();
}

std::int64_t SystemFile::Size() const {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(Handle(handle_), &size) ? size.QuadPart : -1;
}

bool SystemFile::IsFileAt(const std::string& path) const {
    BY_HANDLE_FILE_INFORMATION held{};
    if (!::GetFileInformationByHandle(Handle(handle_), &held)) return false;
    const auto named = QueryFile(path);
    return named && named->dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
           named->nFileIndexHigh == held.nFileIndexHigh &&
           named->nFileIndexLow == held.nFileIndexLow;
}

std::ptrdiff_t SystemFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const auto piece = static_cast<DWORD>(std::min(size, kMaxPiece));
    if (!::ReadFile(Handle(handle_), buffer, piece, &got, &at)) {
        return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

std::ptrdiff_t SystemFile::Read(void* buffer, std::size_t size) {
    DWORD got = 0;
    const auto piece = static_cast<DWORD>(std::min(size, kMaxPiece));
    if (!::ReadFile(Handle(handle_), buffer, piece, &got, nullptr)) {
        return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

std::size_t SystemFile::Write(const void* bytes, std::size_t size) {
    const auto* next = static_cast<const char*>(bytes);
    std::size_t done = 0;
    while (done < size) {
        DWORD written = 0;
        const auto piece = static_cast<DWORD>(std::min(size - done, kMaxPiece));
        if (!::WriteFile(Handle(handle_), next + done, piece, &written, nullptr) || written == 0) {
            break;
        }
        done += written;
    }
    return done;
}

bool SystemFile::TruncateAt(std::uint64_t size) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(size);
    return ::SetFilePointerEx(Handle(handle_), position, nullptr, FILE_BEGIN) &&
           ::SetEndOfFile(Handle(handle_));
}

bool SystemFile::SyncData() {
    // Only a disk file has a medium to reach; flushing a pipe would wait for its reader.
    if (::GetFileType(Handle(handle_)) != FILE_TYPE_DISK) return true;
    return ::FlushFileBuffers(Handle(handle_)) != 0;
}

bool SystemFile::OpenSecondHandle(SystemFile& other) const {
    other.Close();
    if (handle_ == kNone) return false;
    // A handle of the same open would do, but the system runs the calls on one open one at a
    // time: a flush through it would hold up the writer's next write until it ends.
    const HANDLE second = ::ReOpenFile(Handle(handle_), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    if (second == INVALID_HANDLE_VALUE) return false;
    other.handle_ = reinterpret_cast<std::intptr_t>(second);
    return true;
}

bool SystemFile::Close() {
    if (handle_ == kNone) return true;
    const bool ok = ::CloseHandle(Handle(handle_)) != 0;
    handle_ = kNone;
    return ok;
}

}  // namespace ts
