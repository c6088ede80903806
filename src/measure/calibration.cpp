#include "app/station.h"

namespace ts {

// Not built yet.
double CalibrateValue(const CalibrationTable&, double) { return 0.0; }

double Station::CalibrateValue(int channel, double raw) const {
    return ts::CalibrateValue(tables[static_cast<std::size_t>(channel - 1)], raw);
}

}  // namespace ts
