#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/system_file.h"
#include "review/review_index.h"

namespace ts::review {

// Room for any number or date these write.
constexpr std::size_t kExportTextCapacity = 64;

// A mean for people and data tools: '.' as the decimal point, ten significant digits, no
// exponent between 1e-4 and 1e15. Returns the length written.
std::size_t FormatMean(double value, char* out);
// A value as the file wrote it, with '.' as the decimal point.
std::size_t FormatFileValue(double value, char* out);
// ISO 8601 date and time with milliseconds of `timeNs` on the timeline of a recording whose
// first start line was at `startSeconds` (SecondsOfDateTime).
std::size_t FormatIsoTime(std::int64_t startSeconds, std::int64_t timeNs, char* out);
// Seconds with six decimals.
std::size_t FormatSeconds(std::int64_t ns, char* out);

// The "summary" lines: "CH<n> count min max mean" for each recorded channel.
std::string SummaryText(const Summary& summary, std::uint8_t channels);

// Writes the records with fromNs <= t < toNs as CSV (UTF-8, a header, CR LF), one row a record,
// or, with everyNs > 0, one row a stretch of that length (counted from fromNs) holding the mean
// of each channel over it. False when a write or a read back failed.
bool WriteCsv(const RecordingIndex& index, std::int64_t fromNs, std::int64_t toNs,
              std::int64_t everyNs, SystemFile& out);

}  // namespace ts::review
