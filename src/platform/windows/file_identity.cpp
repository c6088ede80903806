#include "platform/file_identity.h"

#include <windows.h>

#include "platform/windows/file_query.h"
#include "platform/windows/wide_text.h"

namespace ts {

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    if (path.empty()) return std::nullopt;
    const auto info = QueryFile(path);
    if (!info) return std::nullopt;
    return FileIdentity{info->dwVolumeSerialNumber,
                        (std::uint64_t{info->nFileIndexHigh} << 32) | info->nFileIndexLow};
}

std::vector<std::string> FilesEndingWith(const std::string& folder, std::string_view end) {
    std::vector<std::string> paths;
    const std::string prefix =
        folder.empty() || folder.back() == '\\' || folder.back() == '/' ? folder : folder + "\\";
    WIN32_FIND_DATAW found{};
    // Every name is listed and compared here: a pattern would also match the short 8.3 names.
    const HANDLE search = ::FindFirstFileExW(Widen(prefix + "*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return paths;
    do {
        const std::string name = Narrow(found.cFileName);
        if (name.size() > end.size() &&
            name.compare(name.size() - end.size(), end.size(), end) == 0) {
            paths.push_back(prefix + name);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return paths;
}

}  // namespace ts
