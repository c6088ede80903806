#include "review/file_change.h"

#include <cstring>

#include "platform/file_status.h"

namespace ts::review {

namespace {

// Bytes of a part's first line kept to tell a file written anew.
constexpr std::size_t kFirstLineBytes = 256;

}  // namespace

std::string FirstLine(SystemFile& file) {
    char bytes[kFirstLineBytes];
    const std::ptrdiff_t got = file.ReadAt(0, bytes, sizeof bytes);
    if (got <= 0) return {};
    const void* lf = std::memchr(bytes, '\n', static_cast<std::size_t>(got));
    const auto size = lf == nullptr
                          ? static_cast<std::size_t>(got)
                          : static_cast<std::size_t>(static_cast<const char*>(lf) - bytes);
    return std::string(bytes, size);
}

FileChange LookAgain(SystemFile& file, const std::string& path, std::uint64_t least,
                     const std::string& firstLine) {
    if (!file.IsFileAt(path)) return FileMissing(path) ? FileChange::Gone : FileChange::Replaced;
    const std::int64_t size = file.Size();
    if (size >= 0 && static_cast<std::uint64_t>(size) < least) return FileChange::Shrank;
    return FirstLine(file) == firstLine ? FileChange::None : FileChange::Shrank;
}

std::string ChangeProblem(const FileChanged& changed, const std::vector<Part>& parts) {
    const auto part = static_cast<std::size_t>(changed.part);
    const std::string path = part < parts.size() ? parts[part].path : std::string();
    switch (changed.what) {
        case FileChange::None:
            return {};
        case FileChange::Shrank:
            return path + " shrank or was written anew while it was read";
        case FileChange::Replaced:
            return path + " was replaced by another file while it was read";
        case FileChange::Gone:
            return path + " was removed while it was read";
    }
    return {};
}

}  // namespace ts::review
