#include "review/review_time_text.h"

#include <algorithm>
#include <charconv>

namespace ts::review {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

std::size_t FormatElapsed(std::int64_t ns, bool millis, char* out) {
    // To the nearest millisecond: the file's times are ten-billionths of a day, a few
    // microseconds either side of the instrument's own.
    const std::int64_t ms = (std::max<std::int64_t>(ns, 0) + kMs / 2) / kMs;
    const std::int64_t s = ms / 1000;
    char* p = std::to_chars(out, out + 20, s / 3600).ptr;
    const auto two = [&p](std::int64_t v) {
        *p++ = static_cast<char>('0' + v / 10);
        *p++ = static_cast<char>('0' + v % 10);
    };
    *p++ = ':';
    two(s / 60 % 60);
    *p++ = ':';
    two(s % 60);
    if (millis) {
        *p++ = '.';
        *p++ = static_cast<char>('0' + ms % 1000 / 100);
        two(ms % 100);
    }
    return static_cast<std::size_t>(p - out);
}

std::size_t FormatClock(std::int64_t startSeconds, std::int64_t ns, bool millis, bool date,
                        char* out) {
    const std::int64_t totalMs = FloorDiv(ns + kMs / 2, kMs);
    const std::int64_t seconds = startSeconds + FloorDiv(totalMs, 1000);
    const std::int64_t ms = totalMs - FloorDiv(totalMs, 1000) * 1000;
    const LocalDateTime t = review::DateTimeOfSeconds(seconds);
    char* p = out;
    const auto two = [&p](int v) {
        *p++ = static_cast<char>('0' + v / 10 % 10);
        *p++ = static_cast<char>('0' + v % 10);
    };
    if (date) {
        two(t.Day);
        *p++ = '.';
        two(t.Month);
        *p++ = ' ';
    }
    two(t.Hour);
    *p++ = ':';
    two(t.Minute);
    *p++ = ':';
    two(t.Second);
    if (millis) {
        *p++ = '.';
        *p++ = static_cast<char>('0' + ms / 100);
        two(static_cast<int>(ms % 100));
    }
    return static_cast<std::size_t>(p - out);
}

std::string Clock(std::int64_t startSeconds, std::int64_t ns) {
    char text[32];
    return {text, FormatClock(startSeconds, ns, true, false, text)};
}

std::string Elapsed(std::int64_t ns) {
    char text[32];
    return {text, FormatElapsed(ns, true, text)};
}

}  // namespace ts::review
