#include "measure/number_format.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace ts {

namespace {

std::size_t Copy(const char* text, char* out) {
    const std::size_t n = std::strlen(text);
    std::memcpy(out, text, n);
    return n;
}

// Adds one unit to the last digit of digits[0..n), carrying; returns true when
// the carry ran off the front (all nines).
bool Increment(char* digits, int n) {
    for (int i = n - 1; i >= 0; --i) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

}  // namespace

std::size_t FormatFixed(double value, int decimals, int significant, char separator, char* out) {
    if (std::isnan(value)) return Copy("NAN", out);
    if (std::isinf(value)) return Copy(value < 0 ? "-INF" : "INF", out);

    // Round to `significant` digits exactly, from the binary value.
    char sci[48];
    const auto res = std::to_chars(sci, sci + sizeof sci, std::fabs(value),
                                   std::chars_format::scientific, significant - 1);
    // sci is "d.ddddE±xx" (or "dE±xx" for one digit)
    char digits[40];
    int count = 0;
    const char* p = sci;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') digits[count++] = *p;
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), res.ptr, exponent);
    const bool negative = value < 0;

    std::size_t n = 0;
    if (exponent + 1 > significant) {
        // Too many integer digits for the fixed form.
        if (negative) out[n++] = '-';
        out[n++] = digits[0];
        if (count > 1) {
            out[n++] = separator;
            for (int i = 1; i < count; ++i) out[n++] = digits[i];
        }
        out[n++] = 'E';
        out[n++] = '+';
        char exp[12];
        const auto e = std::to_chars(exp, exp + sizeof exp, exponent);
        for (int pad = static_cast<int>(e.ptr - exp); pad < decimals; ++pad) out[n++] = '0';
        for (const char* q = exp; q < e.ptr; ++q) out[n++] = *q;
        return n;
    }

    // Lay the rounded digits out on a fixed grid: integer part, then decimals.
    // Position of digit i relative to the separator: exponent - i.
    const int integerDigits = exponent >= 0 ? exponent + 1 : 1;
    const int total = integerDigits + decimals;
    char grid[64];
    for (int i = 0; i < total; ++i) grid[i] = '0';
    bool roundUp = false;
    for (int i = 0; i < count; ++i) {
        const int place = exponent - i;              // power of ten of digit i
        const int slot = integerDigits - 1 - place;  // its index on the grid
        if (slot >= 0 && slot < total) {
            grid[slot] = digits[i];
        } else if (slot == total) {
            roundUp = digits[i] >= '5';  // first dropped digit, halves away from zero
        }
    }
    int start = 0;
    char carried[65];
    if (roundUp && Increment(grid, total)) {
        carried[0] = '1';
        std::memcpy(carried + 1, grid, static_cast<std::size_t>(total));
        start = -1;
    }
    const char* body = start < 0 ? carried : grid;
    const int bodyIntegers = integerDigits + (start < 0 ? 1 : 0);
    const int bodyLength = bodyIntegers + decimals;

    bool allZero = true;
    for (int i = 0; i < bodyLength; ++i) allZero = allZero && body[i] == '0';
    if (negative && !allZero) out[n++] = '-';
    for (int i = 0; i < bodyIntegers; ++i) out[n++] = body[i];
    if (decimals > 0) {
        out[n++] = separator;
        for (int i = bodyIntegers; i < bodyLength; ++i) out[n++] = body[i];
    }
    return n;
}

std::size_t FormatReadout(double value, char separator, char* out) {
    return FormatFixed(value, 3, 10, separator, out);
}

std::string FormatReadout(double value, char separator) {
    char buffer[kNumberTextCapacity];
    return std::string(buffer, FormatReadout(value, separator, buffer));
}

}  // namespace ts
