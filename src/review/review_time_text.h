#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "review/result_line.h"

// The times the review window writes: its readouts and the labels of its time lines.
namespace ts::review {

constexpr std::int64_t kMs = 1'000'000;
constexpr std::int64_t kS = kNanosecondsPerSecond;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b);
// Writes "H:MM:SS" of a duration, with ".mmm" when asked; returns the length.
std::size_t FormatElapsed(std::int64_t ns, bool millis, char* out);
// Writes the clock time of `ns` on a timeline starting at `startSeconds`: "17:05:33", with
// ".mmm" or a leading "DD.MM " when asked.
std::size_t FormatClock(std::int64_t startSeconds, std::int64_t ns, bool millis, bool date,
                        char* out);
std::string Clock(std::int64_t startSeconds, std::int64_t ns);
std::string Elapsed(std::int64_t ns);

}  // namespace ts::review
