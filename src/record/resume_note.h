#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "base/sample.h"

namespace ts {

// What a recording needs to go on after it was cut: its files and every choice it was started
// with. The program writes it when a recording starts (the window beside Settings.bin, never
// into it: the original program still reads that file; trend-record beside its result file)
// and removes it at the user's stop, so a note found at the next start means the recording was
// cut. A recording cut several times is one recording in several parts: "results.txt",
// "results (2).txt", ...; the note keeps its first file and the part being written.
struct ResumeNote {
    std::string firstPath;   // the recording's first result file
    std::string resultPath;  // the part being written
    std::string rawFirst;    // trend-record's raw capture, first and current part; empty: none
    std::string rawPath;
    // The part has been ended (its interruption or stop line is in): the next start goes on
    // without adding another line to it.
    bool ended = false;
    int choice = -1;  // window order: 0 every sample, 1..17 periods, 18 on change
    bool average = false;
    int thresholdIndex = 1;
    std::array<bool, kChannels> channels{};
    std::array<std::string, kChannels> tables;

    bool operator==(const ResumeNote&) const = default;
};

// The note's lines, CR LF after each; texts in UTF-8. The last line carries a check of the
// others: a note is written over the one before in place (its holder keeps it open), and a
// write cut short must not read as a note.
std::string FormatResumeNote(const ResumeNote& note);
// Nothing when the lines are not a whole note: damaged, cut short, or of another kind.
std::optional<ResumeNote> ParseResumeNote(const std::vector<std::string>& lines);
// Lines a note has: no line of a longer file is read.
constexpr std::size_t kResumeNoteLines = 17;

// Whether the existing file at `path` is one of the recording's parts, result or raw: its first
// file, the part being written, or a numbered file of its series between the two, whatever name
// reaches it.
bool NamesPartOf(const ResumeNote& note, const std::string& path);

// "results.txt" -> "results (2).txt" for `number` 2; a name without an extension gets the number
// at its end. Only the last part of the path changes.
std::string NumberedPath(const std::string& path, int number);
// The other way: "results (2).txt" -> "results.txt" and 2; a path without a number comes back
// as it is, with 1.
std::string UnnumberedPath(const std::string& path, int& number);

}  // namespace ts
