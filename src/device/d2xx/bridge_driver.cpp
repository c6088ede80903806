#include "device/bridge_driver.h"

#include "base/texts.h"
#include "device/d2xx/d2xx_driver.h"

namespace ts {

BridgeDriver MakeBridgeDriver() {
    auto driver = std::make_unique<D2xxDriver>();
    std::string problem = driver->LibraryMissing() ? std::string(text::kMsgD2xxDriverMissing) : "";
    return {std::move(driver), std::move(problem)};
}

}  // namespace ts
