#include "platform/same_file.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/link_target.h"
#include "platform/windows/file_query.h"
#include "platform/windows/wide_text.h"

namespace ts {

namespace {

// A file by its identity: the volume's serial number and the file's index on it. Names that do
// not exist yet are known by the identity of their folder and their own name, upper-cased as
// the file system compares names, or by the whole full path where the folder is missing too.
struct Place {
    bool exists = false;
    DWORD volume = 0;
    std::uint64_t index = 0;
    std::wstring name;
};

std::uint64_t IndexOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::wstring full(length, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length) return path;
    full.resize(written);
    return full;
}

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) {
        ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    }
    return text;
}

Place PlaceOf(const std::string& path) {
    Place place;
    if (const auto info = QueryFile(path)) {
        place.exists = true;
        place.volume = info->dwVolumeSerialNumber;
        place.index = IndexOf(*info);
        return place;
    }
    // A link that leads nowhere creates its target.
    const std::wstring full = FullPath(Widen(LinkTarget(path).value_or(path)));
    const auto separator = full.find_last_of(L"\\/");
    if (separator != std::wstring::npos) {
        if (const auto folder = QueryFile(Narrow(full.substr(0, separator + 1)))) {
            place.volume = folder->dwVolumeSerialNumber;
            place.index = IndexOf(*folder);
            place.name = UpperCase(full.substr(separator + 1));
            return place;
        }
    }
    place.name = UpperCase(full);
    return place;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    const Place first = PlaceOf(a), second = PlaceOf(b);
    return first.exists == second.exists && first.volume == second.volume &&
           first.index == second.index && first.name == second.name;
}

}  // namespace ts
