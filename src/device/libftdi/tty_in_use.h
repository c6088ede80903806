#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ts {

// Name of a USB device in sysfs, e.g. bus 1 behind ports 1 and 4: "1-1.4".
std::string UsbSysfsName(std::uint8_t bus, std::span<const std::uint8_t> ports);

// Names ("ttyUSB0", ...) of the serial ports the kernel driver provides on any interface of the
// device `deviceName` under `usbDevicesRoot` (normally /sys/bus/usb/devices). Empty when the
// kernel driver is not bound or the folder cannot be read.
std::vector<std::string> UsbDeviceTtys(const std::string& usbDevicesRoot,
                                       const std::string& deviceName);

// Whether any process under `procRoot` (normally /proc) has one of `paths` open. Processes
// whose descriptors we may not read are skipped; an unreadable `procRoot` counts as held.
bool AnyHeldOpen(const std::string& procRoot, const std::vector<std::string>& paths);

// Whether another program is using the device through the kernel serial driver, in which case
// we must leave the device alone.
bool UsbDeviceTtyInUse(const std::string& usbDevicesRoot, const std::string& procRoot,
                       const std::string& deviceName);

}  // namespace ts
