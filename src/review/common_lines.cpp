#include "review/result_line.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ts::review {

namespace {

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

#if defined(__GNUC__)
#define TS_INLINE [[gnu::always_inline]] inline
#else
#define TS_INLINE inline
#endif

// The marks of the next 64 bytes from `scanned` (fewer at the end) added after the `have`
// found so far.
template <typename Marks>
TS_INLINE void MarkBlock(const char* bytes, std::size_t size, std::size_t& scanned,
                         std::uint32_t* marks, std::size_t& have) {
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

// The time field from `s` to the blank at `blank`, `days` digits of days, the separator and
// ten decimals, in the file's units; whatever is not of that form sets bits of `bad`.
TS_INLINE std::uint64_t TimeUnits(const char* s, const char* blank, std::ptrdiff_t days,
                                  std::uint64_t& bad) {
    bad |= static_cast<std::uint64_t>(days - 1) > 4;
    const std::uint64_t d = (Load8(s) ^ kZeros) << ((64 - 8 * days) & 63);
    const std::uint64_t f8 = Load8(blank - 10) ^ kZeros;
    const std::uint64_t f2 = (Load8(blank - 8) ^ kZeros) & 0xFFFF000000000000ull;
    bad |= NotDigits(d) | NotDigits(f8) | NotDigits(f2) |
           ((static_cast<unsigned char>(blank[-11]) & 0xFDu) ^ 0x2Cu);
    const std::uint64_t dd = FourDigitPairs(d);
    const std::uint64_t ff = FourDigitPairs(f8);
    return (((dd & 0xFFFFFFFFu) * 10000 + (dd >> 32)) * 100'000'000 + (ff & 0xFFFFFFFFu) * 10000 +
            (ff >> 32)) *
               100 +
           ((f2 >> 48) & 0xFF) * 10 + (f2 >> 56);
}

// Each field's digits between the marks at `at`, and its sign as 0 or 1; the lanes past the
// last field are left alone. Whatever is not a common value sets bits of `bad`.
template <int Fields>
TS_INLINE void FieldDigits(const char* const* at, std::uint64_t* digitsOut,
                           std::int32_t* negativeOut, std::uint64_t& bad) {
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
        digitsOut[i] = t;
        negativeOut[i] = static_cast<std::int32_t>(negative);
    }
}

// The fields' values in thousandths from their digits and signs.
template <int Fields>
TS_INLINE void FieldValues(const std::uint64_t* fieldDigits, const std::int32_t* fieldNegative,
                           std::int32_t* milli) {
#if defined(__SSE2__) || defined(_M_X64)
    ValuesOfFour(fieldDigits, fieldNegative, milli);
    if constexpr (Fields > 4) ValuesOfFour(fieldDigits + 4, fieldNegative + 4, milli + 4);
#else
    for (int i = 0; i < Fields; ++i) {
        const std::uint64_t pairs = FourDigitPairs(fieldDigits[i]);
        const auto value = static_cast<std::int32_t>((pairs & 0xFFFFFFFFu) * 1000 + (pairs >> 32));
        milli[i] = (value ^ -fieldNegative[i]) + fieldNegative[i];
    }
#endif
}

// The lines of `Fields` values: the blanks and line ends are found 64 bytes at a time, then each
// line is read without a branch but one, every check folded into `bad`.
template <int Fields, typename Marks>
TS_INLINE std::size_t ReadCommon(const char* bytes, std::size_t size, CommonLines& out) {
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
            MarkBlock<Marks>(bytes, size, scanned, marks, have);
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
            const std::uint64_t units = TimeUnits(s, at[0], days, bad);
            // In unsigned arithmetic: a line found bad below may have made any number of it.
            out.elapsedNs[static_cast<std::size_t>(count)] = ElapsedNsOfWritten(units);
            out.start[static_cast<std::size_t>(count)] = static_cast<std::uint32_t>(s - bytes);
            // The lanes past the last field stay 0.
            std::uint64_t fieldDigits[8] = {};
            std::int32_t fieldNegative[8] = {};
            FieldDigits<Fields>(at, fieldDigits, fieldNegative, bad);
            FieldValues<Fields>(fieldDigits, fieldNegative,
                                out.milli[static_cast<std::size_t>(count)].data());
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

}  // namespace ts::review
