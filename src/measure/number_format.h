#pragma once

#include <cstddef>
#include <string>

namespace ts {

// Room for any number this formatter writes.
constexpr std::size_t kNumberTextCapacity = 64;

// Writes `value` in fixed-point notation with exactly `decimals` digits after
// `separator`, after first rounding it to `significant` significant digits.
// A value with more than `significant` digits before the separator is written
// as d,ddd…E+xxx instead (the mantissa with `significant` digits, the exponent
// with at least `decimals` digits). NaN and infinities become "NAN", "INF"
// and "-INF". A value that rounds to zero has no minus sign. Returns the
// length written to `out` (no terminating zero); never allocates.
std::size_t FormatFixed(double value, int decimals, int significant, char separator, char* out);

// The readouts' and the result file's value format: 3 decimals, 10 significant digits.
std::size_t FormatReadout(double value, char separator, char* out);
std::string FormatReadout(double value, char separator);

}  // namespace ts
