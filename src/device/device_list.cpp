#include "device/device_list.h"

#include "device/link_state.h"

namespace ts {

bool ReadDeviceDetails(Driver& driver, std::uint32_t index, std::string& description,
                       std::string& serial) {
    char serialBuffer[kSerialBufferSize] = {};
    char descriptionBuffer[kDescriptionBufferSize] = {};
    if (driver.GetDeviceInfoDetail(index, serialBuffer, descriptionBuffer) != kFtOk) return false;
    // A driver that fills the buffers to the brim still yields a string.
    serialBuffer[kSerialBufferSize - 1] = '\0';
    descriptionBuffer[kDescriptionBufferSize - 1] = '\0';
    description = descriptionBuffer;
    serial = serialBuffer;
    return true;
}

DeviceListing ListDevices(Driver& driver, const InUseTest& inUse, bool probe) {
    DeviceListing listing;
    if (driver.CreateDeviceInfoList(listing.count) != kFtOk) {
        listing.count = 0;
        return listing;
    }
    listing.listed = true;
    for (std::uint32_t i = 0; i < listing.count && i < kMaxListedDevices; ++i) {
        ListedDevice device;
        device.index = i;
        if (!ReadDeviceDetails(driver, i, device.description, device.serial)) {
            ++listing.unreadable;
            continue;
        }
        device.inUse = inUse && inUse(device.description, device.serial);
        FtHandle trial = 0;
        if (probe && !device.inUse && driver.Open(i, trial) == kFtOk) {
            device.free = true;
            driver.Close(trial);
        }
        listing.devices.push_back(std::move(device));
    }
    return listing;
}

}  // namespace ts
