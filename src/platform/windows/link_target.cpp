#include "platform/link_target.h"

#include <windows.h>

#include <string_view>

#include "platform/windows/open_file.h"
#include "platform/windows/path_root.h"
#include "platform/windows/wide_text.h"

namespace ts {

namespace {

// The final path of what an existing link leads to, from the system itself.
std::optional<std::string> FinalPath(const std::string& path) {
    const HANDLE file =
        OpenFile(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length =
        ::GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length =
            ::GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    ::CloseHandle(file);
    if (length == 0 || length >= buffer.size()) return std::nullopt;
    std::wstring_view final(buffer.data(), length);
    // The system answers in its long form: \\?\C:\... or \\?\UNC\server\share\...
    if (final.starts_with(L"\\\\?\\UNC\\")) return "\\\\" + Narrow(final.substr(8));
    if (final.starts_with(L"\\\\?\\")) return Narrow(final.substr(4));
    return Narrow(final);
}

}  // namespace

std::string FolderOf(const std::string& path) {
    const std::size_t root = RootLength(path);
    const auto separator = path.find_last_of("\\/");
    if (separator == std::string::npos || separator < root) {
        return root > 0 ? path.substr(0, root) : ".";
    }
    return path.substr(0, separator + 1 == root ? root : separator);
}

std::optional<std::string> LinkTarget(std::string path) {
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    // A link that leads nowhere, or round in a circle, cannot be opened: its target stays
    // unknown, and nothing is written through it.
    return FinalPath(path);
}

}  // namespace ts
