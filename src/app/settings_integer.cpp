#include "app/settings_integer.h"

namespace ts {

namespace {

int DigitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

}  // namespace

std::optional<std::int32_t> ParseSettingsInteger(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && line[at] == ' ') ++at;

    bool negative = false;
    if (at < line.size() && (line[at] == '+' || line[at] == '-')) {
        negative = line[at] == '-';
        ++at;
    }

    int base = 10;
    if (at < line.size() && line[at] == '$') {
        base = 16;
        ++at;
    } else if (line.size() - at >= 2 && line[at] == '0' &&
               (line[at + 1] == 'x' || line[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }

    if (at == line.size()) return std::nullopt;
    // The magnitude may reach 2^31 only for a negative value.
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t magnitude = 0;
    for (; at < line.size(); ++at) {
        const int digit = DigitValue(line[at], base);
        if (digit < 0) return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace ts
