#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/driver.h"

namespace ts {

// The description and serial of device `index` of the driver's list, each cut to what its
// buffer holds. False when the driver cannot tell them.
bool ReadDeviceDetails(Driver& driver, std::uint32_t index, std::string& description,
                       std::string& serial);

// One device of the driver's list, as the device menu shows it.
struct ListedDevice {
    std::uint32_t index = 0;
    std::string description;
    std::string serial;
    bool inUse = false;  // the device this program is using: neither probed nor free
    bool free = false;   // a trial open succeeded: nobody else holds it
};

struct DeviceListing {
    bool listed = false;      // false: the driver could not build its list
    std::uint32_t count = 0;  // devices in the driver's list
    // Of the first eight, those whose details could be read, in list order.
    std::vector<ListedDevice> devices;
    int unreadable = 0;  // of the first eight, those whose details could not be read
};

// Tells whether the device with this description and serial is the one this program uses.
using InUseTest = std::function<bool(const std::string& description, const std::string& serial)>;

// Lists the first eight devices of the driver's list. Unless `probe` is false, each one whose
// details could be read and that `inUse` does not claim is opened for a moment and closed
// again, device by device: the driver refuses to open a device another program holds.
DeviceListing ListDevices(Driver& driver, const InUseTest& inUse, bool probe = true);

}  // namespace ts
