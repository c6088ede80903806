#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "base/sample.h"
#include "platform/platform.h"

namespace ts::review {

// Nanoseconds, the reader's one unit of time: a record's time field counts 1e-10 days, which
// is exactly 8640 ns, and the start lines count whole seconds.
constexpr std::int64_t kNanosecondsPerFileUnit = 8640;
constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;

// The time of a record whose time field reads `written` (in 1e-10 days). The writer counts the
// instrument's units of 1/18000 s, takes each as 0.000055555556 s and rounds the days to ten
// decimals, so a whole second may come out up to 4.3 us early and fall into the second before.
// The field is taken back to the unit it was written from (units lie 55.6 us apart, far more
// than the rounding), and that unit to its own time: a record of 1 s lies at 1 s exactly.
constexpr std::int64_t ElapsedNsOfWritten(std::uint64_t written) {
    // Picoseconds of the writer's unit and of the field's; split so that no product overflows
    // for any time a field can hold (five digits of days).
    constexpr std::uint64_t kUnitPs = 55'555'556;
    constexpr std::uint64_t kFieldPs = 8'640'000;
    const std::uint64_t units =
        written / kUnitPs * kFieldPs + (written % kUnitPs * kFieldPs + kUnitPs / 2) / kUnitPs;
    // 1/18000 s is 500000/9 ns.
    return static_cast<std::int64_t>(units / 9 * 500'000 + (units % 9 * 500'000 + 4) / 9);
}

// One record line as read: its time since its file's start line, and the value of each
// recorded channel in the line's order. A field the writer could not give a number
// ("NAN", "INF", "-INF") is there but not finite.
struct RecordLine {
    std::int64_t elapsedNs = 0;
    int fields = 0;
    std::array<double, kChannels> value{};
    // With `thousandths` asked for, the fields of the common form (bit f) are in milli
    // instead, in thousandths, and not in value.
    std::array<std::int64_t, kChannels> milli{};
    std::uint8_t inMilli = 0;
};

// Record lines of the common form read many at a time: the time with ten decimals, then values
// of one to four integer digits and three decimals, either separator, each value in thousandths.
struct CommonLines {
    static constexpr int kMostLines = 256;
    int count = 0;
    std::array<std::uint32_t, kMostLines> start{};  // of each line, from the bytes given
    std::array<std::int64_t, kMostLines> elapsedNs{};
    // Each line's values in thousandths, in field order; a row has room for two groups of
    // four, as they are converted.
    std::array<std::array<std::int32_t, 8>, kMostLines> milli{};
    // Where the blanks and line ends lie, found many bytes at a time.
    std::array<std::uint32_t, 2048> marks{};
};

// Bytes after the end that ReadCommonLines may look at (and must be readable).
constexpr std::size_t kCommonLinesReadPast = 64;

// The least, the greatest and the sum of the values of lines [from, to) of `lines` (at least
// one), for the first `fields` fields.
struct CommonSums {
    std::array<std::int32_t, 8> min{};
    std::array<std::int32_t, 8> max{};
    std::array<std::int64_t, 8> sum{};
};
void SumCommonLines(const CommonLines& lines, int from, int to, int fields, CommonSums& out);

// Reads the record lines of exactly `fields` values (1 to 6) of the common form from the start
// of `bytes`, each ending in LF (a CR before it dropped), up to the first line of any other
// form, the end (`size`) or a full `out`. Returns the bytes of the lines read. Every line it
// reads, ParseRecordLine reads the same; a line it leaves may still be a record of another
// form. The kCommonLinesReadPast bytes after `size` must be readable.
std::size_t ReadCommonLines(const char* bytes, std::size_t size, int fields, CommonLines& out);

enum class LineKind { Record, Start, Header, Stop, Interrupted, Damaged };

// Reads a record line (without its CR LF) of exactly `fields` values. Either decimal
// separator is taken in any field: the file has no thousands separator, so neither is ever
// ambiguous. False for anything the writer would not have written. Where the bytes after the
// line are there to be read, up to `readable`, the reading is faster.
bool ParseRecordLine(std::string_view line, int fields, RecordLine& out,
                     const char* readable = nullptr, bool thousandths = false);

// Which kind of line `line` (code page 1251, without its CR LF) is. A record is told only by
// ParseRecordLine, so Damaged here means "none of the stamped or header lines".
LineKind StampedLineKind(std::string_view line);

// The channels of a header line ("ВРЕМЯ CH1 CH3"), in the order of the record fields; false
// when it is not one.
bool ParseHeaderLine(std::string_view line, std::array<int, kChannels>& channels, int& count);

// The date and time of a start, stop or interruption line, as numbers only: the regional
// formats decide the separators, the order of day, month and year and the 12- or 24-hour
// clock, and none of them is known for sure from the file alone.
struct StampFields {
    std::array<int, 3> date{};        // in the order written
    std::array<int, 3> dateDigits{};  // digits of each (a year of four tells itself)
    int hour = 0, minute = 0, second = 0;
    int meridiem = 0;        // 0 none, 1 AM, 2 PM
    char dateSeparator = 0;  // what follows the first number
};
bool ParseStamp(std::string_view line, StampFields& out);

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// The order a short date format writes ("%d.%m.%Y", "%m/%d/%y", "%Y-%m-%d").
DateOrder DateOrderOf(std::string_view shortDateFormat);

// The order that reads every one of `stamps` as a real date: `hint` (the user's own settings)
// where it does, else the first that does of day, month or year first. A year of four digits
// tells its place, and a date with dots never has the month first.
DateOrder DecideDateOrder(const StampFields* stamps, int count, DateOrder hint);

// The stamp as a date and time in `order`; false when it is no date.
bool StampDateTime(const StampFields& stamp, DateOrder order, LocalDateTime& out);

// Seconds since 1970-01-01 of a local date and time, as if every day had 86400 s: what the
// parts of a recording need to be placed against each other.
std::int64_t SecondsOfDateTime(const LocalDateTime& t);
// The other way round.
LocalDateTime DateTimeOfSeconds(std::int64_t seconds);

}  // namespace ts::review
