#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "measure/sample.h"

namespace ts {

// What a recording needs to go on after it was cut: its result file and every choice it was
// started with. The program writes it beside Settings.bin (never into it: the original program
// still reads that file) when a recording starts and removes it at the stop, so a note found at
// the next start means the recording was cut.
struct ResumeNote {
    std::string resultPath;
    int choice = -1;  // window order: 0 every sample, 1..17 periods, 18 on change
    bool average = false;
    int thresholdIndex = 1;
    std::array<bool, kChannels> channels{};
    std::array<std::string, kChannels> tables;

    bool operator==(const ResumeNote&) const = default;
};

// The note's lines, CR LF after each; texts in UTF-8.
std::string FormatResumeNote(const ResumeNote& note);
// Nothing when the lines are not a whole note: damaged, cut short, or of another kind.
std::optional<ResumeNote> ParseResumeNote(const std::vector<std::string>& lines);
// Lines a note has: no line of a longer file is read.
constexpr std::size_t kResumeNoteLines = 13;

// "results.txt" -> "results (2).txt" for `number` 2; a name without an extension gets the number
// at its end. Only the last part of the path changes.
std::string NumberedPath(const std::string& path, int number);
// The other way: "results (2).txt" -> "results.txt" and 2; a path without a number comes back
// as it is, with 1.
std::string UnnumberedPath(const std::string& path, int& number);

}  // namespace ts
