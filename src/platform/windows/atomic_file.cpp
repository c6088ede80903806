#include "platform/atomic_file.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/link_target.h"
#include "platform/system_file.h"
#include "platform/windows/file_query.h"
#include "platform/windows/wide_text.h"

namespace ts {

namespace {

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
    SystemFile file;
    if (!file.OpenExistingForWriting(target)) return false;
    if (file.Write(bytes.data(), bytes.size()) != bytes.size()) return false;
    if (!file.TruncateAt(bytes.size()) || !file.SyncData()) return false;
    return file.Close();
}

enum class TemporaryOutcome { Written, NoTemporaryAllowed, Failed };

TemporaryOutcome WriteThroughTemporary(const std::string& target, std::string_view bytes,
                                       bool exists) {
    std::string temporary;
    SystemFile file;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 100 && !file.IsOpen(); ++attempt) {
        temporary = TemporaryName(target);
        if (!file.OpenForWriting(temporary, false)) error = ::GetLastError();
        if (!file.IsOpen() && error != ERROR_FILE_EXISTS) break;
    }
    if (!file.IsOpen()) {
        return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT
                   ? TemporaryOutcome::NoTemporaryAllowed
                   : TemporaryOutcome::Failed;
    }
    bool ok = file.Write(bytes.data(), bytes.size()) == bytes.size() && file.SyncData();
    ok = file.Close() && ok;
    const std::wstring wideTarget = Widen(target);
    // Replacing keeps the old file's access list and attributes on the new contents; a new file
    // is a plain rename. Either way the folder's entry changes at one stroke.
    const std::wstring wideTemporary = Widen(temporary);
    ok = ok && (exists ? ::ReplaceFileW(wideTarget.c_str(), wideTemporary.c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                       : ::MoveFileExW(wideTemporary.c_str(), wideTarget.c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    if (!ok) {
        ::DeleteFileW(wideTemporary.c_str());
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
    if (exists && !SystemFile().OpenExistingForWriting(target)) return false;
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
