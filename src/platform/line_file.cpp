#include "platform/line_file.h"

#include <array>

#include "platform/system_file.h"

namespace ts {

LineSplitter::LineSplitter(std::size_t maxLines, std::size_t maxLineBytes)
    : maxLines_(maxLines), maxLineBytes_(maxLineBytes) {}

void LineSplitter::EndLine() {
    lines_.push_back(std::move(current_));
    current_.clear();
}

bool LineSplitter::Feed(std::string_view bytes) {
    for (const char c : bytes) {
        if (!Wanted()) return false;
        const bool lineFeedOfCrLf = skipLineFeed_ && c == '\n';
        skipLineFeed_ = false;
        if (lineFeedOfCrLf) continue;
        if (c == '\r' || c == '\n') {
            skipLineFeed_ = c == '\r';
            EndLine();
        } else if (c == '\0' || current_.size() == maxLineBytes_) {
            bad_ = true;
        } else {
            current_.push_back(c);
        }
    }
    return Wanted();
}

void LineSplitter::Finish() {
    if (Wanted() && !current_.empty()) EndLine();
}

LineFile ReadLineFile(const std::string& path, std::size_t maxLines, std::size_t maxLineBytes) {
    LineFile result;
    // Only a regular file: a FIFO in the file's place cannot hang the start.
    SystemFile file;
    if (!file.OpenRegularForReading(path)) return result;

    LineSplitter splitter(maxLines, maxLineBytes);
    std::array<char, 65536> chunk;
    bool wanted = true;
    while (wanted) {
        const std::ptrdiff_t got = file.Read(chunk.data(), chunk.size());
        if (got < 0) return result;
        if (got == 0) break;
        wanted = splitter.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    }
    splitter.Finish();

    result.readable = true;
    result.lines = std::move(splitter.Lines());
    result.stoppedAtBadLine = splitter.StoppedAtBadLine();
    return result;
}

}  // namespace ts
