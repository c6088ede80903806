#include "platform/absolute_path.h"

#include <windows.h>

#include <vector>

#include "platform/link_target.h"
#include "platform/windows/path_root.h"
#include "platform/windows/wide_text.h"

namespace ts {

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    const std::wstring wide = Widen(path);
    const DWORD length = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::vector<wchar_t> buffer(length);
    const DWORD written = ::GetFullPathNameW(wide.c_str(), length, buffer.data(), nullptr);
    if (written == 0 || written >= length) return path;
    return Narrow(std::wstring_view(buffer.data(), written));
}

std::string PathBeside(const std::string& file, const std::string& path) {
    // Any root, a drive's current folder ("C:x") included, names the path by itself.
    if (path.empty() || RootLength(path) > 0) return path;
    const std::string folder = FolderOf(file);
    return IsSeparator(folder.back()) ? folder + path : folder + "\\" + path;
}

}  // namespace ts
