#include "app/run_files.h"

#include <array>
#include <utility>

#include "platform/file_status.h"
#include "platform/link_target.h"
#include "platform/same_file.h"

namespace ts {

std::string CheckOutputFile(const std::string& path, bool force) {
    // Not a file that exists, nor one that --force could replace.
    if (NamesDevice(path)) return path + " names a device, not a file";
    if (!NothingAt(path)) {
        if (!force) return path + " exists; use --force to replace it";
        const bool there = !FileMissing(path);
        if (there && (IsFolder(path) || !MayWriteFile(path))) return "cannot write " + path;
        if (there) return {};
    }
    // New, or a link to a file still to be made.
    const std::string folder = FolderOf(LinkTarget(path).value_or(path));
    if (!MayCreateIn(folder)) return "cannot write " + path;
    return {};
}

std::string CheckRunFiles(const RecordOptions& o) {
    const std::array<std::pair<const char*, const std::string*>, 4> files = {{
        {"--settings", &o.settingsPath},
        {"--replay", &o.replayPath},
        {"--out", &o.outPath},
        {"--raw", &o.rawPath},
    }};
    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = i + 1; j < files.size(); ++j) {
            const std::string& a = *files[i].second;
            const std::string& b = *files[j].second;
            if (a.empty() || b.empty() || !SameFile(a, b)) continue;
            return std::string(files[j].first) + " and " + files[i].first + " name the same file";
        }
    }
    if (std::string error = CheckOutputFile(o.outPath, o.force); !error.empty()) return error;
    if (!o.rawPath.empty()) return CheckOutputFile(o.rawPath, o.force);
    return {};
}

std::string CheckTableFiles(const std::array<std::string, kChannels>& tables,
                            const RecordOptions& o) {
    for (std::size_t c = 0; c < tables.size(); ++c) {
        if (tables[c].empty()) continue;
        for (const auto& [option, output] :
             {std::pair{"--out", &o.outPath}, {"--raw", &o.rawPath}}) {
            if (output->empty() || !SameFile(tables[c], *output)) continue;
            return std::string(option) + " names the table of channel " + std::to_string(c + 1);
        }
    }
    return {};
}

}  // namespace ts
