#include "measure/calibration_table.h"

namespace ts {

double CalibrateValue(const CalibrationTable& table, double raw) {
    // The loader commits only whole tables of 2..128 points; anything else is
    // treated as no table rather than read past its points.
    const int n = table.PointCount;
    if (n < 2 || n > kMaxTablePoints) return 0.0;
    const auto& r = table.RawPoints;
    const auto& p = table.ResultPoints;

    // Below the table the first segment goes on; a value equal to a point
    // belongs to the segment that starts there; from the last point on the
    // last segment goes on.
    int i = 1;
    if (raw >= r[0]) {
        while (i < n - 1 && !(raw < r[static_cast<std::size_t>(i)])) ++i;
    }
    const auto hi = static_cast<std::size_t>(i);
    const std::size_t lo = hi - 1;
    return (p[hi] - p[lo]) * (raw - r[lo]) / (r[hi] - r[lo]) + p[lo];
}

}  // namespace ts
