// Any bytes as the body of a result file: the reader must never crash, must count what it
// cannot read, and what it does read must hold together.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

#include "review/result_line.h"
#include "review/review_index.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Line by line, every reader of a line.
    std::size_t lines = 0;
    for (std::size_t at = 0; at <= bytes.size(); ++lines) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(at, end - at);
        at = end + 1;
        for (int fields = 0; fields <= ts::kChannels; ++fields) {
            ts::review::RecordLine record;
            const bool read = ts::review::ParseRecordLine(line, fields, record);
            // The fast reading, which may look past the line, reads the same.
            ts::review::RecordLine fast;
            const bool readFast = ts::review::ParseRecordLine(
                line, fields, fast, reinterpret_cast<const char*>(data) + size, true);
            if (read != readFast) __builtin_trap();
            if (!read) continue;
            if (record.fields != fields || record.elapsedNs < 0) __builtin_trap();
            if (fast.elapsedNs != record.elapsedNs) __builtin_trap();
            for (int f = 0; f < fields; ++f) {
                const auto i = static_cast<std::size_t>(f);
                const double v = (fast.inMilli & (1u << f)) != 0
                                     ? static_cast<double>(fast.milli[i]) / 1000.0
                                     : fast.value[i];
                if (!(v == record.value[i]) && !(v != v && record.value[i] != record.value[i])) {
                    __builtin_trap();
                }
            }
        }
        std::array<int, ts::kChannels> channels{};
        int count = 0;
        if (ts::review::ParseHeaderLine(line, channels, count)) {
            for (int i = 0; i < count; ++i) {
                if (channels[static_cast<std::size_t>(i)] < 1 ||
                    channels[static_cast<std::size_t>(i)] > 6)
                    __builtin_trap();
                if (i > 0 && channels[static_cast<std::size_t>(i)] <=
                                 channels[static_cast<std::size_t>(i - 1)])
                    __builtin_trap();
            }
        }
        ts::review::StampFields stamp;
        if (ts::review::ParseStamp(line, stamp)) {
            ts::LocalDateTime t;
            for (auto order :
                 {ts::review::DateOrder::DayMonthYear, ts::review::DateOrder::MonthDayYear,
                  ts::review::DateOrder::YearMonthDay}) {
                if (!ts::review::StampDateTime(stamp, order, t)) continue;
                const auto back = ts::review::DateTimeOfSeconds(ts::review::SecondsOfDateTime(t));
                if (back.Hour != t.Hour || back.Minute != t.Minute) __builtin_trap();
            }
        }
    }
    // Many lines at a time: every line so read is read the same one by one, and what is left
    // begins a line.
    std::string padded(bytes);
    padded.append(ts::review::kCommonLinesReadPast, '\n');
    static ts::review::CommonLines common;
    for (int fields = 1; fields <= ts::kChannels; ++fields) {
        for (std::size_t at = 0; at < size;) {
            const std::size_t used =
                ts::review::ReadCommonLines(padded.data() + at, size - at, fields, common);
            if (used > size - at || (used == 0) != (common.count == 0)) __builtin_trap();
            for (int l = 0; l < common.count; ++l) {
                const std::size_t from = at + common.start[static_cast<std::size_t>(l)];
                const std::size_t lf = bytes.find('\n', from);
                if ((from != at && bytes[from - 1] != '\n') || lf >= at + used) __builtin_trap();
                std::string_view line = bytes.substr(from, lf - from);
                if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
                ts::review::RecordLine record;
                if (!ts::review::ParseRecordLine(line, fields, record) ||
                    record.elapsedNs != common.elapsedNs[static_cast<std::size_t>(l)]) {
                    __builtin_trap();
                }
                for (int f = 0; f < fields; ++f) {
                    const double v =
                        static_cast<double>(common.milli[static_cast<std::size_t>(l)]
                                                        [static_cast<std::size_t>(f)]) /
                        1000.0;
                    if (v != record.value[static_cast<std::size_t>(f)]) __builtin_trap();
                }
            }
            if (used != 0) {
                at += used;
                continue;
            }
            const std::size_t lf = bytes.find('\n', at);
            at = lf == std::string_view::npos ? size : lf + 1;
        }
    }
    // The whole of it behind a start line and a header, through the index.
    char path[] = "/tmp/result_reader_fuzz_XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) return 0;
    const std::string head =
        "06.12.2026 17:05:03 \xC7\xC0\xCF\xC8\xD1\xDC "
        "\xCD\xC0\xD7\xC0\xD2\xC0\r\n\xC2\xD0\xC5\xCC\xDF CH1 CH3\r\n";
    if (::write(fd, head.data(), head.size()) != static_cast<ssize_t>(head.size()) ||
        ::write(fd, data, size) != static_cast<ssize_t>(size)) {
        ::close(fd);
        ::unlink(path);
        return 0;
    }
    ::close(fd);
    {
        ts::review::RecordingIndex index;
        // Stretches smaller than the inputs, so that lines are cut at their edges too.
        if (index.Open(path, {.stretchBytes = 1021}).empty()) {
            index.WaitForPass();
            const ts::review::Summary all =
                index.Summarize(0, std::numeric_limits<std::int64_t>::max());
            if (all.records + index.Damaged().lines > lines + 1) __builtin_trap();
            std::uint64_t walked = 0;
            index.ForEachRecord(0, std::numeric_limits<std::int64_t>::max(),
                                [&](const ts::review::Record&) {
                                    ++walked;
                                    return true;
                                });
            if (walked != all.records) __builtin_trap();
            for (const auto& ch : all.channel) {
                if (ch.count != 0 && !(ch.min <= ch.max)) __builtin_trap();
            }
            ts::review::ColumnValue columns[4 * ts::kChannels];
            index.Query(0, index.EndNs() + 1, 4, columns);
        }
    }
    ::unlink(path);
    return 0;
}
