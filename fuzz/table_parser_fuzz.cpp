// Any bytes as a calibration table file: the parser must never crash, and a
// table it accepts must be one the conversion can rely on.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "measure/calibration_table.h"
#include "measure/table_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const char separator = (data[0] & 1) ? ',' : '.';
    std::vector<std::string> lines(1);
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == '\n') {
            lines.emplace_back();
        } else {
            lines.back().push_back(static_cast<char>(data[i]));
        }
    }
    ts::CalibrationTable table;
    const ts::TableVerdict verdict = ts::ParseTableLines(lines, separator, table);
    if (verdict != ts::TableVerdict::Valid) {
        if (table.PointCount != 0) __builtin_trap();
        return 0;
    }
    if (table.PointCount < 2 || table.PointCount > ts::kMaxTablePoints) __builtin_trap();
    for (int i = 0; i < table.PointCount; ++i) {
        const double raw = table.RawPoints[static_cast<std::size_t>(i)];
        if (!(raw >= 0 && raw <= 1023)) __builtin_trap();
        if (i > 0 && !(raw > table.RawPoints[static_cast<std::size_t>(i - 1)])) __builtin_trap();
        if (!std::isfinite(table.ResultPoints[static_cast<std::size_t>(i)])) __builtin_trap();
    }
    // At a point the conversion gives that point's result, to rounding.
    const int last = table.PointCount - 1;
    const double want = table.ResultPoints[static_cast<std::size_t>(last)];
    const double got = ts::CalibrateValue(table, table.RawPoints[static_cast<std::size_t>(last)]);
    const double scale =
        std::fabs(want) + std::fabs(table.ResultPoints[static_cast<std::size_t>(last - 1)]);
    if (std::isfinite(got) && std::isfinite(scale) && std::fabs(got - want) > 1e-12 * scale) {
        __builtin_trap();
    }
    return 0;
}
