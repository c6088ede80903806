// The eleven functions of the D2XX library, answered by the emulated bridges. Each call first
// brings its bridge up to the present, so the receive queue fills in real time between calls.

#include <algorithm>
#include <cstring>
#include <string>
#include <type_traits>

#include "device/d2xx/d2xx_functions.h"
#include "emulated_d2xx/bridge_bus.h"

using namespace ts::d2xx;
using ts::emulated::BridgeBus;
using ts::emulated::Clock;
using ts::emulated::D2xxBridge;

namespace {

// Runs `action` on the bridge behind `handle` under the bus's lock, or fails as the vendor's
// driver does for a handle whose device has gone.
template <typename Action>
Status WithBridge(Handle handle, Action&& action) {
    BridgeBus& bus = BridgeBus::Get();
    const std::lock_guard lock(bus.mutex);
    D2xxBridge* bridge = bus.Usable(handle, Clock::now());
    if (bridge == nullptr) return kInvalidHandle;
    return action(bus, *bridge);
}

// Copies `text` into a buffer of `size` bytes, cut to fit and zero-terminated.
void CopyText(const std::string& text, char* out, std::size_t size) {
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

}  // namespace

extern "C" {

__declspec(dllexport) Status WINAPI FT_CreateDeviceInfoList(DWORD* count) {
    if (count == nullptr) return kInvalidParameter;
    BridgeBus& bus = BridgeBus::Get();
    const std::lock_guard lock(bus.mutex);
    *count = bus.BuildList(Clock::now());
    return kOk;
}

__declspec(dllexport) Status WINAPI
    FT_GetDeviceInfoDetail(DWORD index, DWORD* flags, DWORD* type, DWORD* id, DWORD* location,
                           char* serial, char* description, Handle* handle) {
    BridgeBus& bus = BridgeBus::Get();
    const std::lock_guard lock(bus.mutex);
    const D2xxBridge* bridge = bus.Listed(index);
    if (bridge == nullptr) return kDeviceNotFound;
    // An FT232R at 0403:6001; bit 0 of the flags tells that the device is open.
    if (flags != nullptr) *flags = bridge->IsOpen() ? 1 : 0;
    if (type != nullptr) *type = 5;
    if (id != nullptr) *id = 0x04036001;
    if (location != nullptr) *location = 0x11 + index;
    if (serial != nullptr) CopyText(bridge->Serial(), serial, kSerialBytes);
    if (description != nullptr) CopyText(bridge->Description(), description, kDescriptionBytes);
    if (handle != nullptr) *handle = nullptr;
    return kOk;
}

__declspec(dllexport) Status WINAPI FT_Open(int index, Handle* handle) {
    if (handle == nullptr || index < 0) return kInvalidParameter;
    BridgeBus& bus = BridgeBus::Get();
    const std::lock_guard lock(bus.mutex);
    D2xxBridge* bridge = bus.Listed(static_cast<DWORD>(index));
    if (bridge == nullptr) return kDeviceNotFound;
    bridge->Advance(Clock::now());
    if (!bridge->Plugged()) return kDeviceNotFound;
    if (bus.HeldElsewhere(bridge->Serial()) || !bridge->Open()) return kDeviceNotOpened;
    *handle = bus.AddHandle(*bridge);
    bus.Log("FT_Open " + bridge->Serial());
    return kOk;
}

__declspec(dllexport) Status WINAPI FT_Close(Handle handle) {
    BridgeBus& bus = BridgeBus::Get();
    const std::lock_guard lock(bus.mutex);
    // A handle whose device has gone is still released.
    D2xxBridge* bridge = bus.Usable(handle, Clock::now());
    if (!bus.RemoveHandle(handle)) return kInvalidHandle;
    if (bridge == nullptr) return kOk;
    if (bridge->Dropped() > 0)
        bus.Log("dropped " + bridge->Serial() + " " + std::to_string(bridge->Dropped()));
    bridge->Close();
    bus.Log("FT_Close " + bridge->Serial());
    return kOk;
}

__declspec(dllexport) Status WINAPI FT_ResetDevice(Handle handle) {
    return WithBridge(handle, [](BridgeBus& bus, D2xxBridge& bridge) {
        bridge.Reset();
        bus.Log("FT_ResetDevice " + bridge.Serial());
        return kOk;
    });
}

__declspec(dllexport) Status WINAPI FT_SetBaudRate(Handle handle, ULONG baud) {
    return WithBridge(handle, [baud](BridgeBus& bus, D2xxBridge& bridge) {
        bridge.StartStream(Clock::now());
        bus.Log("FT_SetBaudRate " + bridge.Serial() + " " + std::to_string(baud));
        return kOk;
    });
}

__declspec(dllexport) Status WINAPI
    FT_SetDataCharacteristics(Handle handle, UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    return WithBridge(handle, [=](BridgeBus& bus, D2xxBridge& bridge) {
        bus.Log("FT_SetDataCharacteristics " + bridge.Serial() + " " + std::to_string(wordLength) +
                " " + std::to_string(stopBits) + " " + std::to_string(parity));
        return kOk;
    });
}

__declspec(dllexport) Status WINAPI FT_SetTimeouts(Handle handle, ULONG readMs, ULONG writeMs) {
    return WithBridge(handle, [=](BridgeBus& bus, D2xxBridge& bridge) {
        bus.Log("FT_SetTimeouts " + bridge.Serial() + " " + std::to_string(readMs) + " " +
                std::to_string(writeMs));
        return kOk;
    });
}

__declspec(dllexport) Status WINAPI
    FT_SetFlowControl(Handle handle, USHORT flow, UCHAR xon, UCHAR xoff) {
    return WithBridge(handle, [=](BridgeBus& bus, D2xxBridge& bridge) {
        bus.Log("FT_SetFlowControl " + bridge.Serial() + " " + std::to_string(flow) + " " +
                std::to_string(xon) + " " + std::to_string(xoff));
        return kOk;
    });
}

__declspec(dllexport) Status WINAPI
    FT_GetStatus(Handle handle, DWORD* rxBytes, DWORD* txBytes, DWORD* events) {
    if (rxBytes == nullptr || txBytes == nullptr || events == nullptr) return kInvalidParameter;
    return WithBridge(handle, [=](BridgeBus&, D2xxBridge& bridge) {
        *rxBytes = static_cast<DWORD>(bridge.Waiting());
        *txBytes = 0;  // nothing is ever sent to the instrument
        *events = 0;
        return kOk;
    });
}

__declspec(dllexport) Status WINAPI
    FT_Read(Handle handle, void* buffer, DWORD toRead, DWORD* bytesRead) {
    if (buffer == nullptr || bytesRead == nullptr) return kInvalidParameter;
    // With read time-out 0 the call returns at once with what is waiting.
    return WithBridge(handle, [=](BridgeBus&, D2xxBridge& bridge) {
        *bytesRead = static_cast<DWORD>(bridge.Read(static_cast<std::uint8_t*>(buffer), toRead));
        return kOk;
    });
}

}  // extern "C"

// The definitions above must be exactly what the driver looks up.
static_assert(std::is_same_v<decltype(FT_CreateDeviceInfoList), CreateDeviceInfoListFn>);
static_assert(std::is_same_v<decltype(FT_GetDeviceInfoDetail), GetDeviceInfoDetailFn>);
static_assert(std::is_same_v<decltype(FT_Open), OpenFn>);
static_assert(std::is_same_v<decltype(FT_Close), CloseFn>);
static_assert(std::is_same_v<decltype(FT_ResetDevice), ResetDeviceFn>);
static_assert(std::is_same_v<decltype(FT_SetBaudRate), SetBaudRateFn>);
static_assert(std::is_same_v<decltype(FT_SetDataCharacteristics), SetDataCharacteristicsFn>);
static_assert(std::is_same_v<decltype(FT_SetTimeouts), SetTimeoutsFn>);
static_assert(std::is_same_v<decltype(FT_SetFlowControl), SetFlowControlFn>);
static_assert(std::is_same_v<decltype(FT_GetStatus), GetStatusFn>);
static_assert(std::is_same_v<decltype(FT_Read), ReadFn>);
