#include "record/resume_note.h"

#include "app/option_values.h"

namespace ts {

namespace {

constexpr std::string_view kFirstLine = "trend-station cut recording 1";
constexpr std::string_view kLastLine = "end";

std::optional<int> Integer(std::string_view line, int lowest, int highest) {
    const auto value = WholeNumberIn(line, static_cast<std::uint64_t>(lowest),
                                     static_cast<std::uint64_t>(highest));
    if (!value) return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace

std::string FormatResumeNote(const ResumeNote& note) {
    std::string text(kFirstLine);
    text += "\r\n" + note.resultPath + "\r\n";
    text += std::to_string(note.choice) + "\r\n";
    text += note.average ? "1\r\n" : "0\r\n";
    text += std::to_string(note.thresholdIndex) + "\r\n";
    for (const bool channel : note.channels) text += channel ? '1' : '0';
    text += "\r\n";
    for (const std::string& table : note.tables) text += table + "\r\n";
    text += kLastLine;
    text += "\r\n";
    return text;
}

std::optional<ResumeNote> ParseResumeNote(const std::vector<std::string>& lines) {
    // First and last lines tell a whole note from one cut short or from another file.
    if (lines.size() != kResumeNoteLines || lines.front() != kFirstLine ||
        lines.back() != kLastLine || lines[1].empty()) {
        return std::nullopt;
    }
    ResumeNote note;
    note.resultPath = lines[1];
    const std::optional<int> choice = Integer(lines[2], 0, 18);
    const std::optional<int> average = Integer(lines[3], 0, 1);
    const std::optional<int> threshold = Integer(lines[4], 0, 98);
    if (!choice || !average || !threshold || lines[5].size() != kChannels) return std::nullopt;
    note.choice = *choice;
    note.average = *average == 1;
    note.thresholdIndex = *threshold;
    bool anyChannel = false;
    for (int c = 0; c < kChannels; ++c) {
        const char flag = lines[5][static_cast<std::size_t>(c)];
        if (flag != '0' && flag != '1') return std::nullopt;
        note.channels[static_cast<std::size_t>(c)] = flag == '1';
        anyChannel = anyChannel || flag == '1';
    }
    if (!anyChannel) return std::nullopt;
    for (int c = 0; c < kChannels; ++c) {
        note.tables[static_cast<std::size_t>(c)] = lines[6 + static_cast<std::size_t>(c)];
    }
    return note;
}

namespace {

// Where the extension begins: a dot that starts the name ("/x/.hidden") or lies in a folder's
// name is none.
std::size_t ExtensionStart(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos || dot <= nameStart ? path.size() : dot;
}

}  // namespace

std::string NumberedPath(const std::string& path, int number) {
    const std::size_t dot = ExtensionStart(path);
    return path.substr(0, dot) + " (" + std::to_string(number) + ")" + path.substr(dot);
}

std::string UnnumberedPath(const std::string& path, int& number) {
    number = 1;
    const std::size_t dot = ExtensionStart(path);
    const std::size_t open = path.rfind(" (", dot);
    if (dot < 4 || path[dot - 1] != ')' || open == std::string::npos) return path;
    const std::optional<int> n = Integer(path.substr(open + 2, dot - 1 - (open + 2)), 2, 1000000);
    if (!n) return path;
    number = *n;
    return path.substr(0, open) + path.substr(dot);
}

}  // namespace ts
