#include "review/result_line.h"

#include <charconv>
#include <cstring>

#include "review/line_digits.h"

namespace ts::review {

namespace {

// Longest integer part taken in a value: 14 digits and four read decimals stay within 64 bits.
constexpr int kMostIntegerDigits = 14;
// Whole days of a time field: 99999 days keep nanoseconds within 64 bits.
constexpr int kMostDayDigits = 5;
constexpr int kTimeDecimals = 10;
constexpr int kValueDecimals = 3;

// One value field from p (up to a blank or `end`); p is left after it. Any form the writer
// uses; ParseValue below takes the common one first.
bool ParseAnyValue(const char*& p, const char* end, double& value) {
    const char* start = p;
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    std::int64_t whole = 0;
    int digits = 0;
    while (p < end && IsDigit(*p)) {
        if (++digits > kMostIntegerDigits) return false;
        whole = whole * 10 + (*p++ - '0');
    }
    if (digits == 0) {
        // The writer's words for what is no number.
        const std::string_view rest(p, static_cast<std::size_t>(end - p));
        for (const std::string_view word : {std::string_view("NAN"), std::string_view("INF")}) {
            if (rest.substr(0, word.size()) == word &&
                (rest.size() == word.size() || rest[word.size()] == ' ') &&
                (word == "INF" || !negative)) {
                p += word.size();
                value = word == "NAN" ? __builtin_nan("")
                        : negative    ? -__builtin_inf()
                                      : __builtin_inf();
                return true;
            }
        }
        return false;
    }
    if (p < end && (*p == ',' || *p == '.'))
        ++p;
    else if (!(p < end && *p == 'E'))
        return false;
    const char* decimals = p;
    std::int64_t fixed = whole;
    while (p < end && IsDigit(*p) && p - decimals < kValueDecimals + 1)
        fixed = fixed * 10 + (*p++ - '0');
    if (p == end || *p == ' ') {
        if (p - decimals != kValueDecimals) return false;
        // Exact to the last digit written: the nearest double to the decimal itself.
        value = static_cast<double>(negative ? -fixed : fixed) / 1000.0;
        return true;
    }
    // d,ddd…E+xxx: more integer digits than the fixed form holds. Rare, so the library's
    // own locale-free reader does it.
    while (p < end && IsDigit(*p)) ++p;
    if (p >= end || *p != 'E') return false;
    ++p;
    if (p < end && (*p == '+' || *p == '-')) ++p;
    const char* exponent = p;
    while (p < end && IsDigit(*p)) ++p;
    if (p == exponent || p - exponent > 4 || (p < end && *p != ' ')) return false;
    char text[64];
    const auto length = static_cast<std::size_t>(p - start);
    if (length >= sizeof text) return false;
    std::memcpy(text, start, length);
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == ',') text[i] = '.';
    }
    const auto result = std::from_chars(text, text + length, value);
    return result.ec == std::errc() && result.ptr == text + length;
}

bool Digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The common value, "-ddd,ddd" with one to 14 integer digits, without a branch per check.
inline bool ParseValue(const char*& p, const char* end, double& value) {
    const char* q = p;
    const bool negative = q < end && *q == '-';
    q += negative;
    const char* digits = q;
    // Unsigned, so that a row of digits too long to be taken wraps rather than overflows; it
    // goes to the slow reading below.
    std::uint64_t digitsRead = 0;
    while (q < end && Digit(*q)) digitsRead = digitsRead * 10 + static_cast<unsigned>(*q++ - '0');
    const auto count = static_cast<std::size_t>(q - digits);
    if (count - 1 < static_cast<std::size_t>(kMostIntegerDigits) && end - q >= 4 &&
        (*q == ',' || *q == '.') && Digit(q[1]) && Digit(q[2]) && Digit(q[3]) &&
        (end - q == 4 || q[4] == ' ')) {
        const auto fixed = static_cast<std::int64_t>(digitsRead) * 1000 + (q[1] - '0') * 100 +
                           (q[2] - '0') * 10 + (q[3] - '0');
        // Exact to the last digit written: the nearest double to the decimal itself.
        value = static_cast<double>(negative ? -fixed : fixed) / 1000.0;
        p = q + 4;
        return true;
    }
    return ParseAnyValue(p, end, value);
}

// Eight ASCII digits at p as a number, or -1 when they are not all digits.
inline std::int64_t EightDigits(const char* p) {
    std::uint64_t x;
    std::memcpy(&x, p, sizeof x);
    constexpr std::uint64_t kZeros = 0x3030303030303030ull;
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull;
    if ((x & kHigh) != kZeros || ((x + 0x0606060606060606ull) & kHigh) != kZeros) return -1;
    x -= kZeros;
    // Little-endian: the first digit is the lowest byte.
    x = (x * 10 + (x >> 8)) & 0x00FF00FF00FF00FFull;
    x = (x * 100 + (x >> 16)) & 0x0000FFFF0000FFFFull;
    x = (x * 10000 + (x >> 32)) & 0xFFFFFFFFull;
    return static_cast<std::int64_t>(x);
}

// The common value again, its integer digits found and read eight bytes at a time, where
// the bytes up to `readable` may be looked at past the line's end: a row of digits of
// varying length costs a mispredicted branch or two when read one by one.
// 0: no value; 1: `value` set; 2: `milli` (when given) set to the value in thousandths, and
// `value` left alone, which saves the division.
inline int ParseValueWide(const char*& p, const char* end, const char* readable, double& value,
                          std::int64_t* milli) {
    const char* q = p;
    // Signs come in any order: no branch on them.
    const std::int64_t negative = q < end ? static_cast<std::int64_t>(*q == '-') : 0;
    q += negative;
    if (readable != nullptr && readable - q >= 8) {
        std::uint64_t x;
        std::memcpy(&x, q, sizeof x);
        constexpr std::uint64_t kZeros = 0x3030303030303030ull;
        constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull;
        constexpr std::uint64_t kLow = 0x0F0F0F0F0F0F0F0Full;
        // Non-zero in each byte that is no digit; without carries from byte to byte.
        const std::uint64_t other =
            ((x & kHigh) ^ kZeros) | (((x & kLow) + 0x0606060606060606ull) & kHigh);
        if (other != 0) {
            const int n = __builtin_ctzll(other) / 8;  // integer digits, 0 to 7
            const char* s = q + n;
            if (n >= 1 && end - s >= 4 && (*s == ',' || *s == '.') && Digit(s[1]) && Digit(s[2]) &&
                Digit(s[3]) && (end - s == 4 || s[4] == ' ')) {
                // The digits to the right of an eight-digit field padded with zeros.
                std::uint64_t y = ((x << (8 * (8 - n))) | (kZeros >> (8 * n))) - kZeros;
                y = (y * 10 + (y >> 8)) & 0x00FF00FF00FF00FFull;
                y = (y * 100 + (y >> 16)) & 0x0000FFFF0000FFFFull;
                y = (y * 10000 + (y >> 32)) & 0xFFFFFFFFull;
                const auto fixed = static_cast<std::int64_t>(y * 1000) + (s[1] - '0') * 100 +
                                   (s[2] - '0') * 10 + (s[3] - '0');
                p = s + 4;
                const std::int64_t signedFixed = (fixed ^ -negative) + negative;
                if (milli != nullptr) {
                    *milli = signedFixed;
                    return 2;
                }
                value = static_cast<double>(signedFixed) / 1000.0;
                return 1;
            }
        }
    }
    return ParseValue(p, end, value) ? 1 : 0;
}

}  // namespace

bool ParseRecordLine(std::string_view line, int fields, RecordLine& out, const char* readable,
                     bool thousandths) {
    const char* p = line.data();
    const char* const end = p + line.size();
    std::int64_t days = 0;
    int digits = 0;
    while (p < end && IsDigit(*p)) {
        if (++digits > kMostDayDigits) return false;
        days = days * 10 + (*p++ - '0');
    }
    if (digits == 0 || p >= end || (*p != ',' && *p != '.')) return false;
    ++p;
    if (end - p < kTimeDecimals) return false;
    const std::int64_t first = EightDigits(p);
    if (first < 0 || !IsDigit(p[8]) || !IsDigit(p[9])) return false;
    const std::int64_t units =
        (days * 100'000'000 + first) * 100 + (p[8] - '0') * 10 + (p[9] - '0');
    p += kTimeDecimals;
    out.elapsedNs = ElapsedNsOfWritten(static_cast<std::uint64_t>(units));
    out.inMilli = 0;
    for (int f = 0; f < fields; ++f) {
        if (p >= end || *p != ' ') return false;
        ++p;
        const auto i = static_cast<std::size_t>(f);
        const int got =
            ParseValueWide(p, end, readable, out.value[i], thousandths ? &out.milli[i] : nullptr);
        if (got == 0) return false;
        out.inMilli = static_cast<std::uint8_t>(out.inMilli | ((got == 2 ? 1u : 0u) << f));
    }
    out.fields = fields;
    return p == end;
}

}  // namespace ts::review
