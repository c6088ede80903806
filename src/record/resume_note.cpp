#include "record/resume_note.h"

#include <cstdio>

#include "platform/file_identity.h"
#include "record/option_values.h"

namespace ts {

namespace {

constexpr std::string_view kFirstLine = "trend-station cut recording 2";
constexpr std::string_view kLastLine = "end ";
constexpr std::size_t kChoiceLine = 6;
constexpr std::string_view kFirstVersionFirstLine = "trend-station cut recording 1";
constexpr std::size_t kFirstVersionLines = 13;

// FNV-1a of the note's other lines, as eight hex digits.
std::string Check(const std::vector<std::string>& lines, std::size_t count) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < count; ++i) {
        for (const char c : lines[i] + "\r\n") {
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        }
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(hash));
    return hex;
}

std::optional<int> Integer(std::string_view line, int lowest, int highest) {
    const auto value = WholeNumberIn(line, static_cast<std::uint64_t>(lowest),
                                     static_cast<std::uint64_t>(highest));
    if (!value) return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace

std::string FormatResumeNote(const ResumeNote& note) {
    std::vector<std::string> lines{std::string(kFirstLine),
                                   note.firstPath,
                                   note.resultPath,
                                   note.rawFirst,
                                   note.rawPath,
                                   note.ended ? "1" : "0",
                                   std::to_string(note.choice),
                                   note.average ? "1" : "0",
                                   std::to_string(note.thresholdIndex)};
    std::string channels;
    for (const bool channel : note.channels) channels += channel ? '1' : '0';
    lines.push_back(channels);
    for (const std::string& table : note.tables) lines.push_back(table);
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    text += std::string(kLastLine) + Check(lines, lines.size()) + "\r\n";
    return text;
}

namespace {

// The note of the version before, which had one part and no raw capture: a recording cut just
// before an update still carries on after it.
std::optional<ResumeNote> ParseFirstVersionNote(const std::vector<std::string>& lines) {
    if (lines.size() != kFirstVersionLines || lines.front() != kFirstVersionFirstLine ||
        lines.back() != "end" || lines[1].empty()) {
        return std::nullopt;
    }
    std::vector<std::string> current{std::string(kFirstLine), lines[1], lines[1], "", "", "0"};
    current.insert(current.end(), lines.begin() + 2, lines.end() - 1);
    current.push_back(std::string(kLastLine) + Check(current, current.size()));
    return ParseResumeNote(current);
}

}  // namespace

std::optional<ResumeNote> ParseResumeNote(const std::vector<std::string>& lines) {
    if (!lines.empty() && lines.front() == kFirstVersionFirstLine) {
        return ParseFirstVersionNote(lines);
    }
    // First and last lines tell a whole note from one cut short or from another file.
    if (lines.size() != kResumeNoteLines || lines.front() != kFirstLine ||
        lines.back() != std::string(kLastLine) + Check(lines, lines.size() - 1) ||
        lines[1].empty() || lines[2].empty() || lines[3].empty() != lines[4].empty()) {
        return std::nullopt;
    }
    ResumeNote note;
    note.firstPath = lines[1];
    note.resultPath = lines[2];
    note.rawFirst = lines[3];
    note.rawPath = lines[4];
    const std::optional<int> ended = Integer(lines[5], 0, 1);
    const std::optional<int> choice = Integer(lines[kChoiceLine], 0, 18);
    const std::optional<int> average = Integer(lines[kChoiceLine + 1], 0, 1);
    const std::optional<int> threshold = Integer(lines[kChoiceLine + 2], 0, 98);
    const std::string& flags = lines[kChoiceLine + 3];
    if (!ended || !choice || !average || !threshold || flags.size() != kChannels) {
        return std::nullopt;
    }
    note.ended = *ended == 1;
    note.choice = *choice;
    note.average = *average == 1;
    note.thresholdIndex = *threshold;
    bool anyChannel = false;
    for (int c = 0; c < kChannels; ++c) {
        const char flag = flags[static_cast<std::size_t>(c)];
        if (flag != '0' && flag != '1') return std::nullopt;
        note.channels[static_cast<std::size_t>(c)] = flag == '1';
        anyChannel = anyChannel || flag == '1';
    }
    if (!anyChannel) return std::nullopt;
    for (int c = 0; c < kChannels; ++c) {
        note.tables[static_cast<std::size_t>(c)] =
            lines[kChoiceLine + 4 + static_cast<std::size_t>(c)];
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

namespace {

// Whether the file `id` is `first`, `last` or a numbered file between them of the series of
// `last`: by the files' identities, so that any name of a part (a link, another spelling) is
// that part.
bool InSeries(const FileIdentity& id, const std::string& first, const std::string& last) {
    if (last.empty()) return false;
    if (IdentityOf(first) == id || IdentityOf(last) == id) return true;
    int lastNumber = 1;
    const std::string base = UnnumberedPath(last, lastNumber);
    for (int number = 2; number < lastNumber; ++number) {
        if (IdentityOf(NumberedPath(base, number)) == id) return true;
    }
    return false;
}

}  // namespace

bool NamesPartOf(const ResumeNote& note, const std::string& path) {
    const std::optional<FileIdentity> id = IdentityOf(path);
    if (!id) return false;
    return InSeries(*id, note.firstPath, note.resultPath) ||
           InSeries(*id, note.rawFirst, note.rawPath);
}

}  // namespace ts
