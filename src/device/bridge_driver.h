#pragma once

#include <memory>
#include <string>

#include "device/driver.h"

namespace ts {

// The driver of the real bridges on the system the program runs on: libftdi1 with our own
// queued USB transfers on Linux, the vendor's library loaded at run time on Windows.
struct BridgeDriver {
    std::unique_ptr<Driver> driver;
    // What the user is told once at start when the bridges cannot be reached at all (the
    // vendor's library is not installed); empty when all is well. The driver then fails every
    // operation, and the program runs on as it does with no instrument attached.
    std::string problem;
};

BridgeDriver MakeBridgeDriver();

}  // namespace ts
