#pragma once

#include <cstdint>

namespace ts {

// Time since the start of recording in days, as the result file and the
// record time label show it: time units times 0.000055555556 s (the factor
// the instrument software has always used, a little more than 1/18000) and
// 1/86400, the product formed in extended precision.
inline double ElapsedDays(std::uint64_t elapsed) {
    constexpr long double kSecondsPerUnit = 0.000055555556L;
    constexpr long double kDaysPerSecond = 1.0L / 86400;
    return static_cast<double>(static_cast<long double>(elapsed) * kSecondsPerUnit *
                               kDaysPerSecond);
}

}  // namespace ts
