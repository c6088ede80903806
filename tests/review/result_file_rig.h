#pragma once

// Result files as the program writes them, in any regional format, for the reader's tests:
// the writer's own formatters and code page, so the bytes are the program's.

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "base/sample.h"
#include "base/texts.h"
#include "file_text.h"
#include "measure/number_format.h"
#include "platform/platform.h"
#include "platform/text_codec.h"
#include "record/date_time_format.h"
#include "record/record_time.h"

namespace ts::review_rig {

struct Regional {
    char separator = ',';
    std::string date = "%d.%m.%Y";
    std::string time = "%H:%M:%S";
};

struct TestRecord {
    std::uint64_t units = 0;  // elapsed time units of 1/18000 s
    std::array<double, kChannels> value{};
};

enum class Ending { None, Stop, Interrupted };

struct FileShape {
    Regional regional;
    std::array<bool, kChannels> channels{true, false, true, false, false, false};
    LocalDateTime start{2026, 12, 6, 17, 5, 3};
    Ending ending = Ending::Stop;
    std::vector<std::string> afterEnd;  // lines after the end line
};

inline std::string Stamp(const FileShape& shape, const LocalDateTime& t, std::string_view words) {
    return FormatDateTime(shape.regional.date, t) + " " + FormatDateTime(shape.regional.time, t) +
           std::string(words);
}

inline std::string RecordText(const FileShape& shape, const TestRecord& r) {
    char text[kNumberTextCapacity];
    std::string line(text,
                     FormatFixed(ElapsedDays(r.units), 10, 15, shape.regional.separator, text));
    for (std::size_t c = 0; c < kChannels; ++c) {
        if (!shape.channels[c]) continue;
        line += ' ';
        line.append(text, FormatReadout(r.value[c], shape.regional.separator, text));
    }
    return line;
}

inline std::string HeaderText(const FileShape& shape) {
    std::string line(text::kResultHeaderTime);
    for (int c = 0; c < kChannels; ++c) {
        if (shape.channels[static_cast<std::size_t>(c)]) line += " CH" + std::to_string(c + 1);
    }
    return line;
}

// The whole file's text in UTF-8 with CR LF; `extra` lines go in after record `at`.
inline std::string ResultFileText(
    const FileShape& shape, const std::vector<TestRecord>& records,
    const std::vector<std::pair<std::size_t, std::string>>& extra = {}) {
    std::string utf8 =
        Stamp(shape, shape.start, text::kResultStarted) + "\r\n" + HeaderText(shape) + "\r\n";
    for (std::size_t i = 0; i <= records.size(); ++i) {
        for (const auto& [at, line] : extra) {
            if (at == i) utf8 += line + "\r\n";
        }
        if (i < records.size()) utf8 += RecordText(shape, records[i]) + "\r\n";
    }
    LocalDateTime end = shape.start;
    end.Minute = (end.Minute + 1) % 60;
    if (shape.ending == Ending::Stop) utf8 += Stamp(shape, end, text::kResultStopped) + "\r\n";
    if (shape.ending == Ending::Interrupted) {
        utf8 += Stamp(shape, end, text::kResultInterrupted) + "\r\n";
    }
    for (const std::string& line : shape.afterEnd) utf8 += line + "\r\n";
    return utf8;
}

// The whole file as the program writes it, in code page 1251.
inline std::string ResultFileBytes(
    const FileShape& shape, const std::vector<TestRecord>& records,
    const std::vector<std::pair<std::size_t, std::string>>& extra = {}) {
    Cp1251Encoder encoder;
    return encoder.Encode(ResultFileText(shape, records, extra));
}

// Time of a record as the instrument counted it: its units of 1/18000 s, in ns.
inline std::int64_t WrittenNs(std::uint64_t units) {
    return std::llround(static_cast<long double>(units) * 1e9L / 18000);
}

// Values with three decimals, so that the file holds them exactly; a few large ones.
inline std::vector<TestRecord> MakeRecords(std::size_t count, std::uint64_t firstUnits,
                                           std::uint64_t step, std::uint32_t seed) {
    std::vector<TestRecord> records(count);
    std::uint32_t x = seed;
    for (std::size_t i = 0; i < count; ++i) {
        records[i].units = firstUnits + i * step + (step > 1 ? (x >> 28) % step / 2 : 0);
        for (auto& v : records[i].value) {
            x = x * 1664525u + 1013904223u;
            v = static_cast<double>(static_cast<std::int32_t>(x >> 8) % 2000000) / 1000.0;
        }
    }
    return records;
}

}  // namespace ts::review_rig
