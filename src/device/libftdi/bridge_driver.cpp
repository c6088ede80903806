#include "device/bridge_driver.h"

#include "device/libftdi/ftdi_driver.h"

namespace ts {

BridgeDriver MakeBridgeDriver() { return {std::make_unique<FtdiDriver>(), {}}; }

}  // namespace ts
