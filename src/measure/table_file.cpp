#include "measure/table_file.h"

#include <array>

#include "measure/table_parser.h"
#include "platform/system_file.h"

namespace ts {

namespace {

class LineCollector {
public:
    explicit LineCollector(std::vector<std::string>& lines) : lines_(lines) {}

    // Takes a chunk of the file; returns false once enough lines are known.
    bool Take(const char* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            const char ch = bytes[i];
            if (afterCarriageReturn_ && ch == '\n') {
                afterCarriageReturn_ = false;
                continue;
            }
            afterCarriageReturn_ = ch == '\r';
            const bool lineBreak = ch == '\r' || ch == '\n';
            if (!inLine_) {
                if (lines_.size() == static_cast<std::size_t>(kMaxTableLines)) {
                    lines_.emplace_back(1, ch);  // one line too many: the count is known
                    return false;
                }
                lines_.emplace_back();
                inLine_ = !lineBreak;
                if (lineBreak) continue;
            } else if (lineBreak) {
                inLine_ = false;
                continue;
            }
            std::string& line = lines_.back();
            if (line.size() <= kMaxTableLineBytes) line.push_back(ch);
        }
        return true;
    }

private:
    std::vector<std::string>& lines_;
    bool inLine_ = false;
    bool afterCarriageReturn_ = false;
};

}  // namespace

bool ReadTableFile(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    if (path.empty()) return false;
    SystemFile file;
    if (!file.OpenRegularForReading(path)) return false;

    LineCollector collector(lines);
    std::array<char, 16384> chunk;
    for (;;) {
        const std::ptrdiff_t got = file.Read(chunk.data(), chunk.size());
        if (got < 0) {
            lines.clear();
            return false;
        }
        if (got == 0) return true;
        if (!collector.Take(chunk.data(), static_cast<std::size_t>(got))) return true;
    }
}

}  // namespace ts
