// The emulated bridges as libusb lists and describes them: devices, their places on the bus
// and their descriptors.
#include <cstdlib>
#include <vector>

#include "emulated_bridge/libusb_emulation.h"

namespace ts::emulated {
namespace {

struct ConfigBlock {
    libusb_config_descriptor config;  // first: freeing goes by its address
    libusb_interface interface;
    libusb_interface_descriptor altsetting;
    libusb_endpoint_descriptor endpoints[2];
};

libusb_endpoint_descriptor Endpoint(std::uint8_t address) {
    libusb_endpoint_descriptor endpoint{};
    endpoint.bLength = LIBUSB_DT_ENDPOINT_SIZE;
    endpoint.bDescriptorType = LIBUSB_DT_ENDPOINT;
    endpoint.bEndpointAddress = address;
    endpoint.bmAttributes = LIBUSB_TRANSFER_TYPE_BULK;
    endpoint.wMaxPacketSize = kMaxPacket;
    return endpoint;
}

}  // namespace
}  // namespace ts::emulated

using namespace ts::emulated;

extern "C" {

ssize_t LIBUSB_CALL libusb_get_device_list(libusb_context* context, libusb_device*** list) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    context = Resolve(context);
    std::vector<libusb_device*> found;
    for (const auto& bridge : bus.bridges) {
        if (!bridge->plugged || bridge->removed) continue;
        libusb_device*& device = context->devices[{bridge->id, bridge->generation}];
        if (device == nullptr) {
            device =
                new libusb_device{context, bridge.get(), bridge->generation, bridge->address, 0};
        }
        ++device->refs;
        found.push_back(device);
    }
    auto** array =
        static_cast<libusb_device**>(std::calloc(found.size() + 1, sizeof(libusb_device*)));
    if (array == nullptr) return LIBUSB_ERROR_NO_MEM;
    std::copy(found.begin(), found.end(), array);
    *list = array;
    return static_cast<ssize_t>(found.size());
}

libusb_device* LIBUSB_CALL libusb_ref_device(libusb_device* device) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    ++device->refs;
    return device;
}

void LIBUSB_CALL libusb_unref_device(libusb_device* device) {
    if (device == nullptr) return;
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    if (--device->refs > 0) return;
    if (device->context != nullptr) {
        device->context->devices.erase({device->bridge->id, device->generation});
    }
    delete device;
}

void LIBUSB_CALL libusb_free_device_list(libusb_device** list, int unrefDevices) {
    if (list == nullptr) return;
    if (unrefDevices != 0) {
        for (libusb_device** device = list; *device != nullptr; ++device)
            libusb_unref_device(*device);
    }
    std::free(list);
}

uint8_t LIBUSB_CALL libusb_get_bus_number(libusb_device*) { return kBusNumber; }

uint8_t LIBUSB_CALL libusb_get_device_address(libusb_device* device) { return device->address; }

// Each bridge sits on its own port of a hub on the root hub's first port.
int LIBUSB_CALL libusb_get_port_numbers(libusb_device* device, uint8_t* ports, int length) {
    if (length <= 0) return LIBUSB_ERROR_INVALID_PARAM;
    if (length < 2) return LIBUSB_ERROR_OVERFLOW;
    ports[0] = kHubPort;
    ports[1] = static_cast<uint8_t>(device->bridge->id + 1);
    return 2;
}

uint8_t LIBUSB_CALL libusb_get_port_number(libusb_device* device) {
    return static_cast<uint8_t>(device->bridge->id + 1);
}

int LIBUSB_CALL libusb_get_device_speed(libusb_device*) { return LIBUSB_SPEED_FULL; }

int LIBUSB_CALL libusb_get_max_packet_size(libusb_device*, unsigned char) { return kMaxPacket; }

int LIBUSB_CALL libusb_get_device_descriptor(libusb_device*, libusb_device_descriptor* descriptor) {
    *descriptor = libusb_device_descriptor{};
    descriptor->bLength = LIBUSB_DT_DEVICE_SIZE;
    descriptor->bDescriptorType = LIBUSB_DT_DEVICE;
    descriptor->bcdUSB = 0x0200;
    descriptor->bMaxPacketSize0 = 8;
    descriptor->idVendor = kVendorId;
    descriptor->idProduct = kProductId;
    descriptor->bcdDevice = kBcdDevice;
    descriptor->iManufacturer = kManufacturer;
    descriptor->iProduct = kProduct;
    descriptor->iSerialNumber = kSerial;
    descriptor->bNumConfigurations = 1;
    return 0;
}

int LIBUSB_CALL libusb_get_config_descriptor(libusb_device*, uint8_t index,
                                             libusb_config_descriptor** config) {
    if (index != 0) return LIBUSB_ERROR_NOT_FOUND;
    auto* block = new ConfigBlock{};
    block->endpoints[0] = Endpoint(kEndpointIn);
    block->endpoints[1] = Endpoint(kEndpointOut);
    libusb_interface_descriptor& alt = block->altsetting;
    alt.bLength = LIBUSB_DT_INTERFACE_SIZE;
    alt.bDescriptorType = LIBUSB_DT_INTERFACE;
    alt.bNumEndpoints = 2;
    alt.bInterfaceClass = LIBUSB_CLASS_VENDOR_SPEC;
    alt.bInterfaceSubClass = 0xFF;
    alt.bInterfaceProtocol = 0xFF;
    alt.iInterface = kProduct;
    alt.endpoint = block->endpoints;
    block->interface.altsetting = &block->altsetting;
    block->interface.num_altsetting = 1;
    libusb_config_descriptor& c = block->config;
    c.bLength = LIBUSB_DT_CONFIG_SIZE;
    c.bDescriptorType = LIBUSB_DT_CONFIG;
    c.wTotalLength = LIBUSB_DT_CONFIG_SIZE + LIBUSB_DT_INTERFACE_SIZE + 2 * LIBUSB_DT_ENDPOINT_SIZE;
    c.bNumInterfaces = 1;
    c.bConfigurationValue = kConfigurationValue;
    c.bmAttributes = 0xA0;  // bus powered, remote wake-up
    c.MaxPower = 45;        // 90 mA
    c.interface = &block->interface;
    *config = &block->config;
    return 0;
}

int LIBUSB_CALL libusb_get_active_config_descriptor(libusb_device* device,
                                                    libusb_config_descriptor** config) {
    return libusb_get_config_descriptor(device, 0, config);
}

void LIBUSB_CALL libusb_free_config_descriptor(libusb_config_descriptor* config) {
    delete reinterpret_cast<ConfigBlock*>(config);
}

}  // extern "C"
