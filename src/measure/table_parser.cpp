#include "measure/table_parser.h"

#include <charconv>
#include <cstdint>
#include <system_error>

namespace ts {

namespace {

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Power of ten of the first significant digit of a mantissa written as
// `integer` digits and `fraction` digits, times 10^exponent; saturates far
// beyond anything a double can hold. Only the sign of the result matters to
// the caller, which tells a number too small for a double from one too large.
std::int64_t LeadingPower(std::string_view integer, std::string_view fraction,
                          std::int64_t exponent) {
    for (std::size_t i = 0; i < integer.size(); ++i) {
        if (integer[i] != '0') {
            return static_cast<std::int64_t>(integer.size() - 1 - i) + exponent;
        }
    }
    for (std::size_t i = 0; i < fraction.size(); ++i) {
        if (fraction[i] != '0') return exponent - static_cast<std::int64_t>(i + 1);
    }
    return 0;
}

std::int64_t SaturatedExponent(std::string_view digits, bool negative) {
    constexpr std::int64_t kLimit = 1'000'000'000;
    std::int64_t value = 0;
    for (char ch : digits) {
        value = value * 10 + (ch - '0');
        if (value > kLimit) {
            value = kLimit;
            break;
        }
    }
    return negative ? -value : value;
}

}  // namespace

bool ParseTableNumber(std::string_view field, char separator, double& value) {
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return false;
    const std::size_t last = field.find_last_not_of(' ');
    const std::string_view text = field.substr(first, last - first + 1);
    const std::size_t n = text.size();

    std::size_t i = 0;
    const bool negative = text[i] == '-';
    if (text[i] == '+' || text[i] == '-') ++i;
    const std::size_t integerStart = i;
    while (i < n && IsDigit(text[i])) ++i;
    const std::string_view integer = text.substr(integerStart, i - integerStart);
    std::string_view fraction;
    if (i < n && text[i] == separator) {
        const std::size_t fractionStart = ++i;
        while (i < n && IsDigit(text[i])) ++i;
        fraction = text.substr(fractionStart, i - fractionStart);
    }
    if (integer.empty() && fraction.empty()) return false;
    std::int64_t exponent = 0;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        const bool exponentNegative = i < n && text[i] == '-';
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t exponentStart = i;
        while (i < n && IsDigit(text[i])) ++i;
        if (i == exponentStart) return false;
        exponent =
            SaturatedExponent(text.substr(exponentStart, i - exponentStart), exponentNegative);
    }
    if (i != n) return false;

    // The grammar is checked; the conversion itself wants a point, a plain
    // exponent and no plus sign, whatever the user's separator is.
    std::string plain;
    plain.reserve(n + 1);
    if (negative) plain.push_back('-');
    plain.append(integer);
    if (!fraction.empty()) {
        plain.push_back('.');
        plain.append(fraction);
    }
    plain.push_back('e');
    plain.append(std::to_string(exponent));

    double converted = 0;
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), converted);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small for a double is zero; too large is no number at all.
        if (LeadingPower(integer, fraction, exponent) >= 0) return false;
        converted = negative ? -0.0 : 0.0;
    } else if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) {
        return false;
    }
    value = converted;
    return true;
}

bool SplitTableLine(std::string_view line, std::string_view& rawField,
                    std::string_view& resultField) {
    const std::size_t blank = line.rfind(' ');
    if (blank == std::string_view::npos) return false;
    rawField = line.substr(0, blank);
    resultField = line.substr(blank);
    return true;
}

TableVerdict ParseTableLines(const std::vector<std::string>& lines, char separator,
                             CalibrationTable& table) {
    table.PointCount = 0;
    const std::size_t count = lines.size();
    if (count < static_cast<std::size_t>(kMinTableLines) ||
        count > static_cast<std::size_t>(kMaxTableLines)) {
        return TableVerdict::Invalid;
    }
    // A bad raw value marks the table invalid, but the remaining lines are
    // still read: an unreadable number further on must still be reported.
    bool valid = true;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& line = lines[i];
        if (line.size() > kMaxTableLineBytes) return TableVerdict::Unreadable;
        std::string_view rawField, resultField;
        double raw = 0, result = 0;
        if (!SplitTableLine(line, rawField, resultField) ||
            !ParseTableNumber(rawField, separator, raw) ||
            !ParseTableNumber(resultField, separator, result)) {
            return TableVerdict::Unreadable;
        }
        if (raw < 0 || raw > kMaxRawCode || (i > 0 && !(raw > table.RawPoints[i - 1]))) {
            valid = false;
        }
        table.RawPoints[i] = raw;
        table.ResultPoints[i] = result;
    }
    if (!valid) return TableVerdict::Invalid;
    table.PointCount = static_cast<std::int32_t>(count);
    return TableVerdict::Valid;
}

}  // namespace ts
