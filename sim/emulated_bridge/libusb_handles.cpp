// Handles on the emulated bridges: opened and closed, their configuration, interface and the
// kernel driver that holds it.
#include <cstdio>

#include "emulated_bridge/libusb_emulation.h"

namespace ts::emulated {

bool Alive(const libusb_device_handle* handle) {
    const Bridge& bridge = *handle->device->bridge;
    return bridge.plugged && !bridge.removed && handle->device->generation == bridge.generation;
}

}  // namespace ts::emulated

using namespace ts::emulated;

extern "C" {

int LIBUSB_CALL libusb_open(libusb_device* device, libusb_device_handle** handle) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    const Bridge& bridge = *device->bridge;
    if (!bridge.plugged || bridge.removed || bridge.generation != device->generation) {
        return LIBUSB_ERROR_NO_DEVICE;
    }
    ++device->refs;
    *handle = new libusb_device_handle{device};
    return 0;
}

void LIBUSB_CALL libusb_close(libusb_device_handle* handle) {
    if (handle == nullptr) return;
    libusb_device* device = handle->device;
    {
        Bus& bus = Bus::Get();
        const std::lock_guard lock(bus.mutex);
        Bridge& bridge = *device->bridge;
        for (std::size_t i = 0; i < bridge.pending.size();) {
            libusb_transfer* transfer = TransferOf(bridge.pending[i]);
            if (transfer->dev_handle != handle) {
                ++i;
                continue;
            }
            std::fprintf(stderr, "emulated bridge: handle closed with a transfer in flight\n");
            ++bridge.hostMisuses;
            Withdraw(bus, transfer, LIBUSB_TRANSFER_CANCELLED);
        }
        if (bridge.claimedBy == handle) bridge.claimedBy = nullptr;
        delete handle;
    }
    libusb_unref_device(device);
}

libusb_device* LIBUSB_CALL libusb_get_device(libusb_device_handle* handle) {
    return handle->device;
}

int LIBUSB_CALL libusb_get_configuration(libusb_device_handle* handle, int* config) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    if (!Alive(handle)) return LIBUSB_ERROR_NO_DEVICE;
    *config = kConfigurationValue;
    return 0;
}

int LIBUSB_CALL libusb_set_configuration(libusb_device_handle* handle, int config) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    if (!Alive(handle)) return LIBUSB_ERROR_NO_DEVICE;
    return config == kConfigurationValue || config == -1 ? 0 : LIBUSB_ERROR_NOT_FOUND;
}

int LIBUSB_CALL libusb_claim_interface(libusb_device_handle* handle, int interface) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    if (!Alive(handle)) return LIBUSB_ERROR_NO_DEVICE;
    if (interface != 0) return LIBUSB_ERROR_NOT_FOUND;
    Bridge& bridge = *handle->device->bridge;
    if (bridge.heldElsewhere || (bridge.claimedBy != nullptr && bridge.claimedBy != handle)) {
        return LIBUSB_ERROR_BUSY;
    }
    bridge.claimedBy = handle;
    bridge.kernelDriverAttached = false;
    return 0;
}

int LIBUSB_CALL libusb_release_interface(libusb_device_handle* handle, int interface) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    Bridge& bridge = *handle->device->bridge;
    if (interface != 0 || bridge.claimedBy != handle) return LIBUSB_ERROR_NOT_FOUND;
    bridge.claimedBy = nullptr;
    if (!Alive(handle)) return LIBUSB_ERROR_NO_DEVICE;
    // The kernel serial driver takes the interface back, as with auto-detach.
    bridge.kernelDriverAttached = true;
    return 0;
}

int LIBUSB_CALL libusb_kernel_driver_active(libusb_device_handle* handle, int) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    if (!Alive(handle)) return LIBUSB_ERROR_NO_DEVICE;
    return handle->device->bridge->kernelDriverAttached ? 1 : 0;
}

int LIBUSB_CALL libusb_detach_kernel_driver(libusb_device_handle* handle, int interface) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    if (!Alive(handle)) return LIBUSB_ERROR_NO_DEVICE;
    Bridge& bridge = *handle->device->bridge;
    if (interface != 0 || !bridge.kernelDriverAttached) return LIBUSB_ERROR_NOT_FOUND;
    bridge.kernelDriverAttached = false;
    return 0;
}

int LIBUSB_CALL libusb_attach_kernel_driver(libusb_device_handle* handle, int interface) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    if (!Alive(handle)) return LIBUSB_ERROR_NO_DEVICE;
    Bridge& bridge = *handle->device->bridge;
    if (interface != 0) return LIBUSB_ERROR_NOT_FOUND;
    if (bridge.claimedBy != nullptr) return LIBUSB_ERROR_BUSY;
    bridge.kernelDriverAttached = true;
    return 0;
}

int LIBUSB_CALL libusb_set_auto_detach_kernel_driver(libusb_device_handle*, int) {
    return LIBUSB_SUCCESS;
}

}  // extern "C"
