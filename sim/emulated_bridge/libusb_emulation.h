#pragma once

// The libusb-1.0 functions that libftdi1 and our driver call, answered by the emulated bridges.
// Loaded ahead of the real library (preloaded, or linked before it), these definitions are the
// ones every caller in the process binds to. Here is what their files share; it stays out of
// the library's exported symbols.
#include <libusb.h>

#include <chrono>
#include <cstdint>

#include "emulated_bridge/usb_bus.h"

#pragma GCC visibility push(hidden)

namespace ts::emulated {

constexpr std::uint16_t kVendorId = 0x0403;
constexpr std::uint16_t kProductId = 0x6001;
constexpr std::uint16_t kBcdDevice = 0x0600;  // what tells libftdi it faces an FT232R
constexpr std::uint8_t kBusNumber = 1;
constexpr std::uint8_t kHubPort = 1;
constexpr std::uint8_t kEndpointIn = 0x81;
constexpr std::uint8_t kEndpointOut = 0x02;
constexpr std::uint16_t kMaxPacket = 64;
constexpr std::uint8_t kConfigurationValue = 1;
constexpr std::uint16_t kLanguageEnglishUs = 0x0409;
constexpr auto kHandleEventsDefault = std::chrono::seconds(60);

enum StringIndex : std::uint8_t { kLanguages = 0, kManufacturer = 1, kProduct = 2, kSerial = 3 };

extern libusb_context* defaultContext;

// The context asked for, or the default one, made on first use.
libusb_context* Resolve(libusb_context* context);
bool Alive(const libusb_device_handle* handle);
// A control request on a live handle; the bus lock is held.
int Control(Bus& bus, libusb_device_handle* handle, const ControlRequest& request,
            std::uint8_t* data);
// Takes an in-flight transfer off its bridge and finishes it with `status`; lock held.
void Withdraw(Bus& bus, libusb_transfer* transfer, int status);

}  // namespace ts::emulated

#pragma GCC visibility pop
