#include "review/result_line.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

#include "base/texts.h"

namespace ts::review {

namespace {

// The file's words are Russian in code page 1251; the program keeps them in UTF-8. Only the
// Cyrillic letters А..я and ASCII occur in them.
std::string Cp1251Of(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80 || i + 1 >= utf8.size()) {
            out += static_cast<char>(c);
            continue;
        }
        const unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        out += static_cast<char>(code - 0x410 + 0xC0);
    }
    return out;
}

// Each word as the program writes it, and as an editor that saved the file as UTF-8 left it.
struct Word {
    std::string cp1251;
    std::string_view utf8;
    explicit Word(std::string_view text) : cp1251(Cp1251Of(text)), utf8(text) {}
};

struct Words {
    Word started{text::kResultStarted};
    Word stopped{text::kResultStopped};
    Word interrupted{text::kResultInterrupted};
    Word headerTime{text::kResultHeaderTime};
    Word record{" ЗАПИСЬ"};
};

const Words& FileWords() {
    static const Words words;
    return words;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EndsWith(std::string_view line, std::string_view tail) {
    return line.size() >= tail.size() && line.substr(line.size() - tail.size()) == tail;
}

bool EndsWith(std::string_view line, const Word& tail) {
    return EndsWith(line, tail.cp1251) || EndsWith(line, tail.utf8);
}

// The length of `word` at the start of `line` in either encoding; 0 when it is not there.
std::size_t StartsWith(std::string_view line, const Word& word) {
    if (line.substr(0, word.cp1251.size()) == word.cp1251) return word.cp1251.size();
    if (line.substr(0, word.utf8.size()) == word.utf8) return word.utf8.size();
    return 0;
}

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

constexpr std::uint64_t kZeros = 0x3030303030303030ull;

inline std::uint64_t Load8(const char* p) {
    std::uint64_t x;
    std::memcpy(&x, p, sizeof x);
    return x;
}

// Of eight bytes that were digits xor '0' where they are digits: the top bit of each byte
// that was no digit (0 stays 0). `extra` is added to bytes that must be 0.
inline std::uint64_t NotDigits(std::uint64_t t, std::uint64_t extra = 0) {
    return ((t + 0x7676767676767676ull + extra) | t) & 0x8080808080808080ull;
}

// Eight digit values, the first in the lowest byte, as two four-digit numbers (low and high
// half of the result).
inline std::uint64_t FourDigitPairs(std::uint64_t t) {
    t = (t * 10 + (t >> 8)) & 0x00FF00FF00FF00FFull;
    return (t * 100 + (t >> 16)) & 0x0000FFFF0000FFFFull;
}

// Bit i set where byte i of the 64 at p is a blank or an LF.
struct PlainMarks {
    static std::uint64_t Bits(const char* p) {
#if defined(__SSE2__) || defined(_M_X64)
        const __m128i blank = _mm_set1_epi8(' ');
        const __m128i lf = _mm_set1_epi8('\n');
        std::uint64_t bits = 0;
#if defined(__GNUC__)
#pragma GCC unroll 4
#endif
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            const int m =
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, lf)));
            bits |= static_cast<std::uint64_t>(static_cast<unsigned>(m)) << (16 * k);
        }
        return bits;
#else
        std::uint64_t bits = 0;
        for (int i = 0; i < 64; ++i) {
            bits |= static_cast<std::uint64_t>(p[i] == ' ' || p[i] == '\n') << i;
        }
        return bits;
#endif
    }
};

#if defined(__SSE2__) || defined(_M_X64)
// Four values at once, each from eight digit values as the line reading leaves them (up to
// four integer digits, 0 for the separator, three decimals), in thousandths with their signs:
// tens, hundreds and thousands by multiply-add of neighbouring lanes. Converted one by one,
// the values took the greater part of the line reading's time.
inline void ValuesOfFour(const std::uint64_t* digits, const std::int32_t* negative,
                         std::int32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    // Weights of neighbouring 16-bit lanes: the first (lower) digit or group counts more.
    const __m128i tens = _mm_set1_epi32(0x0001000A);
    const __m128i hundreds = _mm_set1_epi32(0x00010064);
    const __m128i thousands = _mm_set1_epi32(0x000103E8);
    const auto groupsOfTwo = [&](std::uint64_t a, std::uint64_t b) {
        const __m128i v = _mm_set_epi64x(static_cast<long long>(b), static_cast<long long>(a));
        const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(v, zero), tens),
                                              _mm_madd_epi16(_mm_unpackhi_epi8(v, zero), tens));
        // Integer part and decimals of each, as 32-bit lanes.
        return _mm_madd_epi16(pairs, hundreds);
    };
    const __m128i parts =
        _mm_packs_epi32(groupsOfTwo(digits[0], digits[1]), groupsOfTwo(digits[2], digits[3]));
    const __m128i values = _mm_madd_epi16(parts, thousands);
    const __m128i sign =
        _mm_sub_epi32(zero, _mm_set_epi32(negative[3], negative[2], negative[1], negative[0]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_sub_epi32(_mm_xor_si128(values, sign), sign));
}
#endif

// The lines of `Fields` values: the blanks and line ends are found 64 bytes at a time, then each
// line is read without a branch but one, every check folded into `bad`.
template <int Fields, typename Marks>
#if defined(__GNUC__)
[[gnu::always_inline]]
#endif
inline std::size_t
ReadCommon(const char* bytes, std::size_t size, CommonLines& out) {
    std::uint32_t* const marks = out.marks.data();
    constexpr std::size_t kMarksSpare = 64 + 8;
    std::size_t have = 0;     // marks found
    std::size_t scanned = 0;  // bytes looked at for them
    std::size_t k = 0;        // the first mark of the line being read
    const char* s = bytes;    // its start
    int count = 0;
    // The marks of a few lines found, then those lines read, and again: the two loops apart keep
    // the line reading's many values in registers, and a line of another form early on stops
    // the reading before many bytes were looked at for nothing.
    std::size_t wanted = 4 * (Fields + 1);
    for (;;) {
        while (have < wanted && scanned < size && have + kMarksSpare <= out.marks.size()) {
            std::uint64_t bits = Marks::Bits(bytes + scanned);
            if (size - scanned < 64) bits &= (std::uint64_t{1} << (size - scanned)) - 1;
            const auto base = static_cast<std::uint32_t>(scanned);
            std::uint32_t* o = marks + have;
            have += static_cast<std::size_t>(std::popcount(bits));
            // Eight at a time without a branch each: those past the last are written over.
            do {
#if defined(__GNUC__)
#pragma GCC unroll 8
#endif
                for (int i = 0; i < 8; ++i) {
                    o[i] = base + static_cast<std::uint32_t>(std::countr_zero(bits));
                    bits &= bits - 1;
                }
                o += 8;
            } while (bits != 0);
            scanned += 64;
        }
        bool stopped = false;
        while (count < CommonLines::kMostLines && k + Fields + 1 <= have) {
            const std::uint32_t* m = marks + k;
            const char* const lf = bytes + m[Fields];
            const char* at[Fields + 1];
            std::uint64_t bad = static_cast<unsigned char>(*lf) ^ static_cast<unsigned>('\n');
#if defined(__GNUC__)
#pragma GCC unroll 6
#endif
            for (int i = 0; i < Fields; ++i) {
                at[i] = bytes + m[i];
                bad |= static_cast<unsigned char>(*at[i]) ^ static_cast<unsigned>(' ');
            }
            at[Fields] = lf - (lf[-1] == '\r');
            // The time: one to five digits of days, the separator, ten decimals.
            const std::ptrdiff_t days = at[0] - 11 - s;
            if (bad != 0 || days < 1) {
                stopped = true;
                break;
            }
            bad |= static_cast<std::uint64_t>(days - 1) > 4;
            const std::uint64_t d = (Load8(s) ^ kZeros) << ((64 - 8 * days) & 63);
            const std::uint64_t f8 = Load8(at[0] - 10) ^ kZeros;
            const std::uint64_t f2 = (Load8(at[0] - 8) ^ kZeros) & 0xFFFF000000000000ull;
            bad |= NotDigits(d) | NotDigits(f8) | NotDigits(f2) |
                   ((static_cast<unsigned char>(at[0][-11]) & 0xFDu) ^ 0x2Cu);
            const std::uint64_t dd = FourDigitPairs(d);
            const std::uint64_t ff = FourDigitPairs(f8);
            const std::uint64_t units = (((dd & 0xFFFFFFFFu) * 10000 + (dd >> 32)) * 100'000'000 +
                                         (ff & 0xFFFFFFFFu) * 10000 + (ff >> 32)) *
                                            100 +
                                        ((f2 >> 48) & 0xFF) * 10 + (f2 >> 56);
            // In unsigned arithmetic: a line found bad below may have made any number of it.
            out.elapsedNs[static_cast<std::size_t>(count)] = ElapsedNsOfWritten(units);
            out.start[static_cast<std::size_t>(count)] = static_cast<std::uint32_t>(s - bytes);
            // Each field's digits, and its sign as 0 or 1; the lanes past the last field stay 0.
            std::uint64_t fieldDigits[8] = {};
            std::int32_t fieldNegative[8] = {};
#if defined(__GNUC__)
#pragma GCC unroll 6
#endif
            for (int i = 0; i < Fields; ++i) {
                // The eight bytes that end the field: up to four integer digits, the separator at
                // byte 4, three decimals; the bytes before the digits are cleared.
                const char* const from = at[i] + 1;
                const char* const to = at[i + 1];
                const std::int64_t negative = *from == '-';
                const std::ptrdiff_t digits = to - from - 4 - negative;
                bad |= static_cast<std::uint64_t>(digits - 1) > 3;
                std::uint64_t t =
                    (Load8(to - 8) ^ kZeros) & (~std::uint64_t{0} << ((32 - 8 * digits) & 63));
                // ',' and '.' both become 0 at byte 4, anything else not.
                t = (t ^ (std::uint64_t{0x1C} << 32)) & ~(std::uint64_t{0x02} << 32);
                bad |= NotDigits(t, std::uint64_t{0x09} << 32);
                fieldDigits[i] = t;
                fieldNegative[i] = static_cast<std::int32_t>(negative);
            }
            std::int32_t* const milli = out.milli[static_cast<std::size_t>(count)].data();
#if defined(__SSE2__) || defined(_M_X64)
            ValuesOfFour(fieldDigits, fieldNegative, milli);
            if constexpr (Fields > 4) ValuesOfFour(fieldDigits + 4, fieldNegative + 4, milli + 4);
#else
            for (int i = 0; i < Fields; ++i) {
                const std::uint64_t pairs = FourDigitPairs(fieldDigits[i]);
                const auto value =
                    static_cast<std::int32_t>((pairs & 0xFFFFFFFFu) * 1000 + (pairs >> 32));
                milli[i] = (value ^ -fieldNegative[i]) + fieldNegative[i];
            }
#endif
            if (bad != 0) {
                stopped = true;
                break;
            }
            ++count;
            k += Fields + 1;
            s = lf + 1;
        }
        if (stopped || count == CommonLines::kMostLines || scanned >= size ||
            have + kMarksSpare > out.marks.size()) {
            break;
        }
        // The lines so far were all of the form: many more are likely.
        wanted = have + 32 * (Fields + 1);
    }
    out.count = count;
    return static_cast<std::size_t>(s - bytes);
}

// Field by field, each in registers.
void SumRows(const CommonLines& lines, int from, int to, int fields, CommonSums& out) {
    for (int f = 0; f < fields; ++f) {
        const auto fi = static_cast<std::size_t>(f);
        std::int32_t lo = std::numeric_limits<std::int32_t>::max();
        std::int32_t hi = std::numeric_limits<std::int32_t>::min();
        std::int64_t sum = 0;
        for (int k = from; k < to; ++k) {
            const std::int32_t m = lines.milli[static_cast<std::size_t>(k)][fi];
            lo = std::min(lo, m);
            hi = std::max(hi, m);
            sum += m;
        }
        out.min[fi] = lo;
        out.max[fi] = hi;
        out.sum[fi] = sum;
    }
}

// The reading for a field count known only at run time; `Marks` finds the blanks and line ends.
template <typename Marks>
#if defined(__GNUC__)
[[gnu::always_inline]]
#endif
inline std::size_t
ReadCommonOfFields(const char* bytes, std::size_t size, int fields, CommonLines& out) {
    switch (fields) {
        case 1:
            return ReadCommon<1, Marks>(bytes, size, out);
        case 2:
            return ReadCommon<2, Marks>(bytes, size, out);
        case 3:
            return ReadCommon<3, Marks>(bytes, size, out);
        case 4:
            return ReadCommon<4, Marks>(bytes, size, out);
        case 5:
            return ReadCommon<5, Marks>(bytes, size, out);
        case 6:
            return ReadCommon<6, Marks>(bytes, size, out);
        default:
            return 0;
    }
}

std::size_t ReadCommonAnyProcessor(const char* bytes, std::size_t size, int fields,
                                   CommonLines& out) {
    return ReadCommonOfFields<PlainMarks>(bytes, size, fields, out);
}

#if defined(__GNUC__) && defined(__x86_64__)
#define TS_WIDE_LINES 1
// The marks of 64 bytes in two compares of 32.
struct WideMarks {
    __attribute__((target("avx2"))) static std::uint64_t Bits(const char* p) {
        const __m256i blank = _mm256_set1_epi8(' ');
        const __m256i lf = _mm256_set1_epi8('\n');
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        const auto lowBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(
            _mm256_or_si256(_mm256_cmpeq_epi8(low, blank), _mm256_cmpeq_epi8(low, lf))));
        const auto highBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(
            _mm256_or_si256(_mm256_cmpeq_epi8(high, blank), _mm256_cmpeq_epi8(high, lf))));
        return (static_cast<std::uint64_t>(highBits) << 32) | lowBits;
    }
};

// The same compiled again for the processors of the last decade: the bit instructions of BMI
// and BMI2 find and clear the marks and shift without extra moves, and the SSE2 code gets the
// three-operand AVX forms; a tenth less processor time. Chosen once, at run time.
__attribute__((target("avx2,bmi,bmi2"))) std::size_t ReadCommonWide(const char* bytes,
                                                                    std::size_t size, int fields,
                                                                    CommonLines& out) {
    return ReadCommonOfFields<WideMarks>(bytes, size, fields, out);
}

// A whole row of eight at once.
__attribute__((target("avx2,bmi,bmi2"))) void SumRowsWide(const CommonLines& lines, int from,
                                                          int to, CommonSums& out) {
    __m256i lo = _mm256_set1_epi32(std::numeric_limits<std::int32_t>::max());
    __m256i hi = _mm256_set1_epi32(std::numeric_limits<std::int32_t>::min());
    __m256i sumLow = _mm256_setzero_si256();
    __m256i sumHigh = _mm256_setzero_si256();
    // 128 values of at most seven digits stay within 32 bits.
    constexpr int kSumRows = 128;
    for (int start = from; start < to; start += kSumRows) {
        const int end = std::min(to, start + kSumRows);
        __m256i sum = _mm256_setzero_si256();
        for (int k = start; k < end; ++k) {
            const __m256i row = _mm256_loadu_si256(
                reinterpret_cast<const __m256i*>(lines.milli[static_cast<std::size_t>(k)].data()));
            lo = _mm256_min_epi32(lo, row);
            hi = _mm256_max_epi32(hi, row);
            sum = _mm256_add_epi32(sum, row);
        }
        sumLow = _mm256_add_epi64(sumLow, _mm256_cvtepi32_epi64(_mm256_castsi256_si128(sum)));
        sumHigh =
            _mm256_add_epi64(sumHigh, _mm256_cvtepi32_epi64(_mm256_extracti128_si256(sum, 1)));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out.min.data()), lo);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out.max.data()), hi);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out.sum.data()), sumLow);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out.sum.data() + 4), sumHigh);
}

bool HasWideInstructions() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2");
}
#endif

}  // namespace

std::size_t ReadCommonLines(const char* bytes, std::size_t size, int fields, CommonLines& out) {
    out.count = 0;
    if constexpr (std::endian::native != std::endian::little) return 0;
#ifdef TS_WIDE_LINES
    static const bool wide = HasWideInstructions();
    if (wide) return ReadCommonWide(bytes, size, fields, out);
#endif
    return ReadCommonAnyProcessor(bytes, size, fields, out);
}

void SumCommonLines(const CommonLines& lines, int from, int to, int fields, CommonSums& out) {
#ifdef TS_WIDE_LINES
    static const bool wide = HasWideInstructions();
    if (wide) return SumRowsWide(lines, from, to, out);
#endif
    SumRows(lines, from, to, fields, out);
}

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

LineKind StampedLineKind(std::string_view line) {
    const Words& w = FileWords();
    if (EndsWith(line, w.started)) return LineKind::Start;
    if (EndsWith(line, w.stopped)) return LineKind::Stop;
    if (EndsWith(line, w.interrupted)) return LineKind::Interrupted;
    if (StartsWith(line, w.headerTime) != 0) return LineKind::Header;
    return LineKind::Damaged;
}

bool ParseHeaderLine(std::string_view line, std::array<int, kChannels>& channels, int& count) {
    const Words& w = FileWords();
    const std::size_t word = StartsWith(line, w.headerTime);
    if (word == 0) return false;
    line.remove_prefix(word);
    count = 0;
    int last = 0;
    while (!line.empty()) {
        // " CHn", channels rising as the writer puts them.
        if (line.size() < 4 || line.substr(0, 3) != " CH" || line[3] <= '0' + last ||
            line[3] > '0' + kChannels || count == kChannels) {
            return false;
        }
        last = line[3] - '0';
        channels[static_cast<std::size_t>(count++)] = last;
        line.remove_prefix(4);
    }
    return true;
}

bool ParseStamp(std::string_view line, StampFields& out) {
    // Only what comes before the words counts.
    const Word& record = FileWords().record;
    std::size_t words = line.rfind(record.cp1251);
    if (words == std::string_view::npos) words = line.rfind(record.utf8);
    if (words == std::string_view::npos) return false;
    line = line.substr(0, words);
    int numbers[6];
    int digits[6];
    int count = 0;
    out.meridiem = 0;
    for (std::size_t i = 0; i < line.size();) {
        if (IsDigit(line[i])) {
            if (count == 6) return false;
            int value = 0;
            int n = 0;
            while (i < line.size() && IsDigit(line[i])) {
                if (++n > 4) return false;
                value = value * 10 + (line[i++] - '0');
            }
            numbers[count] = value;
            digits[count++] = n;
            if (count == 1) out.dateSeparator = i < line.size() ? line[i] : 0;
            continue;
        }
        const char c = static_cast<char>(line[i] & ~0x20);
        if ((c == 'A' || c == 'P') && i + 1 < line.size() && (line[i + 1] & ~0x20) == 'M') {
            out.meridiem = c == 'A' ? 1 : 2;
            i += 2;
            continue;
        }
        ++i;
    }
    // Three date numbers, then hours, minutes and seconds: every long time format the
    // regional settings give has seconds.
    if (count != 6) return false;
    for (int i = 0; i < 3; ++i) {
        out.date[static_cast<std::size_t>(i)] = numbers[i];
        out.dateDigits[static_cast<std::size_t>(i)] = digits[i];
    }
    out.hour = numbers[3];
    out.minute = numbers[4];
    out.second = numbers[5];
    return true;
}

DateOrder DateOrderOf(std::string_view format) {
    const std::size_t year = format.find_first_of("yYC");
    const std::size_t day = format.find_first_of("de");
    const std::size_t month = format.find('m');
    if (year != std::string_view::npos && (day == std::string_view::npos || year < day) &&
        (month == std::string_view::npos || year < month)) {
        return DateOrder::YearMonthDay;
    }
    if (month != std::string_view::npos && day != std::string_view::npos && month < day) {
        return DateOrder::MonthDayYear;
    }
    return DateOrder::DayMonthYear;
}

DateOrder DecideDateOrder(const StampFields* stamps, int count, DateOrder hint) {
    // Each order that reads every stamp as a date; a four-digit year tells its place.
    bool dmy = true, mdy = true, ymd = true;
    for (int i = 0; i < count; ++i) {
        const StampFields& s = stamps[i];
        const bool yearFirst = s.dateDigits[0] == 4;
        const bool yearLast = s.dateDigits[2] == 4;
        dmy = dmy && !yearFirst && s.date[1] <= 12 && s.date[0] <= 31;
        mdy = mdy && !yearFirst && s.date[0] <= 12 && s.date[1] <= 31 && s.dateSeparator != '.';
        ymd = ymd && !yearLast && s.date[1] <= 12 && s.date[2] <= 31;
    }
    // No regional setting writes the month first with dots: such a date is a day first.
    const bool possible[] = {dmy, mdy, ymd};
    if (possible[static_cast<int>(hint)]) return hint;
    if (dmy) return DateOrder::DayMonthYear;
    if (mdy) return DateOrder::MonthDayYear;
    if (ymd) return DateOrder::YearMonthDay;
    return hint;
}

bool StampDateTime(const StampFields& s, DateOrder order, LocalDateTime& out) {
    int year = 0, month = 0, day = 0, yearDigits = 0;
    switch (order) {
        case DateOrder::DayMonthYear:
            day = s.date[0], month = s.date[1], year = s.date[2], yearDigits = s.dateDigits[2];
            break;
        case DateOrder::MonthDayYear:
            month = s.date[0], day = s.date[1], year = s.date[2], yearDigits = s.dateDigits[2];
            break;
        case DateOrder::YearMonthDay:
            year = s.date[0], month = s.date[1], day = s.date[2], yearDigits = s.dateDigits[0];
            break;
    }
    if (yearDigits <= 2) year += 2000;
    int hour = s.hour;
    if (s.meridiem != 0) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (s.meridiem == 2 ? 12 : 0);
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || s.minute > 59 ||
        s.second > 60) {
        return false;
    }
    out = LocalDateTime{year, month, day, hour, s.minute, s.second};
    return true;
}

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysOfDate(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

std::int64_t SecondsOfDateTime(const LocalDateTime& t) {
    return DaysOfDate(t.Year, t.Month, t.Day) * 86400 + t.Hour * 3600 + t.Minute * 60 + t.Second;
}

LocalDateTime DateTimeOfSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) rest += 86400, --days;
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<int>(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    const auto y = static_cast<int>(yoe + era * 400 + (m <= 2));
    return LocalDateTime{y,
                         m,
                         d,
                         static_cast<int>(rest / 3600),
                         static_cast<int>(rest / 60 % 60),
                         static_cast<int>(rest % 60)};
}

}  // namespace ts::review
