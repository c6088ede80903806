#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "measure/calibration_table.h"

namespace ts {

// A table file has 2..128 lines; counting stops at the first line past that.
constexpr int kMinTableLines = 2;
constexpr int kMaxTableLines = kMaxTablePoints;
// No readable number line is this long; a longer line is kept only in part.
constexpr std::size_t kMaxTableLineBytes = 64 * 1024;
constexpr double kMaxRawCode = 1023.0;

// Reads a number of the table grammar: blanks (code 32) around it, an
// optional sign, digits with `separator` and a fraction (one digit at least),
// an optional exponent E/e with an optionally signed integer. Anything else,
// including inf, nan, hex, tabs, the other separator and values too large for
// a double, is unreadable. Returns false then and leaves `value` alone.
bool ParseTableNumber(std::string_view field, char separator, double& value);

// One line split at its last blank: the raw field before it, the result field
// from it on. Returns false when the line has no blank.
bool SplitTableLine(std::string_view line, std::string_view& rawField,
                    std::string_view& resultField);

enum class TableVerdict {
    Valid,       // `table` holds every point
    Invalid,     // wrong line count or raw values: shown only by the caption colour
    Unreadable,  // a field is not a number: also told in a message box
};

// Checks the lines of a table file in the loader's order (count first, then
// each line until the first unreadable field) and fills `table` only when the
// whole file is valid; otherwise `table` is left with PointCount 0.
TableVerdict ParseTableLines(const std::vector<std::string>& lines, char separator,
                             CalibrationTable& table);

}  // namespace ts
