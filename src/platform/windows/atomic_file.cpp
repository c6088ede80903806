#include "platform/atomic_file.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/link_target.h"
#include "platform/windows/file_query.h"
#include "platform/windows/open_file.h"
#include "platform/windows/wide_text.h"

namespace ts {

namespace {

// Closes a handle when it goes out of scope unless closed before.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) ::CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) != 0;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!::WriteFile(file, bytes.data(), piece, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

std::string Joined(const std::string& folder, const std::string& name) {
    const char last = folder.empty() ? '\\' : folder.back();
    return last == '\\' || last == '/' || last == ':' ? folder + name : folder + "\\" + name;
}

// A fresh name in the folder of `target`, unique within this process and unlikely to meet
// another's; creation with CREATE_NEW settles any clash.
std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto separator = target.find_last_of("\\/:");
    const std::string base = separator == std::string::npos ? target : target.substr(separator + 1);
    return Joined(FolderOf(target), "." + base + "." + std::to_string(::GetCurrentProcessId()) +
                                        "." + std::to_string(counter.fetch_add(1)) + ".tmp");
}

bool WriteInPlace(const std::string& target, std::string_view bytes) {
    // Without emptying it first: a write that fails half-way then leaves the old bytes after
    // the new ones rather than an empty file.
    Handle file(
        OpenFile(target, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    if (!file.valid() || ::GetFileType(file.get()) != FILE_TYPE_DISK) return false;
    if (!WriteAll(file.get(), bytes) || !::SetEndOfFile(file.get()) ||
        !::FlushFileBuffers(file.get())) {
        return false;
    }
    return file.Close();
}

enum class TemporaryOutcome { Written, NoTemporaryAllowed, Failed };

TemporaryOutcome WriteThroughTemporary(const std::string& target, std::string_view bytes,
                                       bool exists) {
    std::wstring temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = Widen(TemporaryName(target));
        created = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        error = ::GetLastError();
        if (created == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS) break;
    }
    if (created == INVALID_HANDLE_VALUE) {
        return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT
                   ? TemporaryOutcome::NoTemporaryAllowed
                   : TemporaryOutcome::Failed;
    }
    Handle file(created);
    bool ok = WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    ok = file.Close() && ok;
    const std::wstring wideTarget = Widen(target);
    // Replacing keeps the old file's access list and attributes on the new contents; a new file
    // is a plain rename. Either way the folder's entry changes at one stroke.
    ok = ok && (exists ? ::ReplaceFileW(wideTarget.c_str(), temporary.c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                       : ::MoveFileExW(temporary.c_str(), wideTarget.c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    if (!ok) {
        ::DeleteFileW(temporary.c_str());
        return TemporaryOutcome::Failed;
    }
    return TemporaryOutcome::Written;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::optional<std::string> link = LinkTarget(path);
    if (!link) return false;
    const std::string& target = *link;
    // The temporary file beside a device would be made in the device's namespace.
    if (IsDevicePath(Widen(target))) return false;

    const auto info = QueryFile(target);
    const bool exists = info.has_value();
    if (!exists && !LastErrorIsNotFound()) return false;
    if (exists && (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    // A rename needs leave of the folder only, not of the file: it would replace, without a
    // word, a file made read-only or one that we may not write.
    if (exists && (info->dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
    if (exists) {
        Handle probe(OpenFile(target, FILE_WRITE_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                              0));
        if (!probe.valid() || ::GetFileType(probe.get()) != FILE_TYPE_DISK) return false;
    }
    // A rename would give the other names of a hard-linked file the old contents.
    if (exists && info->nNumberOfLinks > 1) return WriteInPlace(target, bytes);

    switch (WriteThroughTemporary(target, bytes, exists)) {
        case TemporaryOutcome::Written:
            return true;
        case TemporaryOutcome::NoTemporaryAllowed:
            return exists && WriteInPlace(target, bytes);
        case TemporaryOutcome::Failed:
            break;
    }
    return false;
}

}  // namespace ts
