// Control requests to the emulated bridges: the chip's vendor requests and the string
// descriptors.
#include <cstring>
#include <string>

#include "emulated_bridge/libusb_emulation.h"

namespace ts::emulated {
namespace {

// UTF-8 text as the UTF-16 code units of a string descriptor.
std::u16string Utf16(const std::string& text) {
    std::u16string units;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (code > 0xFFFF) {
            code -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (code >> 10));
            units += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            units += static_cast<char16_t>(code);
        }
    }
    return units;
}

int StringDescriptor(const Bridge& bridge, std::uint8_t index, std::uint8_t* data,
                     std::uint16_t room) {
    std::uint8_t descriptor[255] = {0, LIBUSB_DT_STRING};
    std::size_t length = 2;
    auto put = [&](char16_t unit) {
        if (length + 2 > sizeof descriptor) return;
        descriptor[length++] = static_cast<std::uint8_t>(unit & 0xFF);
        descriptor[length++] = static_cast<std::uint8_t>(unit >> 8);
    };
    switch (index) {
        case kLanguages:
            put(kLanguageEnglishUs);
            break;
        case kManufacturer:
            for (char16_t unit : Utf16(bridge.manufacturer)) put(unit);
            break;
        case kProduct:
            for (char16_t unit : Utf16(bridge.description)) put(unit);
            break;
        case kSerial:
            for (char16_t unit : Utf16(bridge.serial)) put(unit);
            break;
        default:
            return LIBUSB_ERROR_PIPE;
    }
    descriptor[0] = static_cast<std::uint8_t>(length);
    const std::size_t answered = std::min<std::size_t>(room, length);
    std::memcpy(data, descriptor, answered);
    return static_cast<int>(answered);
}

}  // namespace

// A control request on a live handle; the bus lock is held.
int Control(Bus& bus, libusb_device_handle* handle, const ControlRequest& request,
            std::uint8_t* data) {
    if (!Alive(handle)) return LIBUSB_ERROR_NO_DEVICE;
    Bridge& bridge = *handle->device->bridge;
    bridge.requests.push_back(request);
    switch (request.requestType & 0x60) {
        case LIBUSB_REQUEST_TYPE_VENDOR: {
            bus.Advance(bridge);
            const int result = bridge.chip.Vendor(request, data, Clock::now());
            // A purge or a new latency timer changes when the next packet is due.
            bus.changed.notify_all();
            return result;
        }
        case LIBUSB_REQUEST_TYPE_STANDARD:
            if (request.request == LIBUSB_REQUEST_GET_DESCRIPTOR &&
                (request.value >> 8) == LIBUSB_DT_STRING) {
                return StringDescriptor(bridge, static_cast<std::uint8_t>(request.value & 0xFF),
                                        data, request.length);
            }
            return LIBUSB_ERROR_PIPE;
        default:
            return LIBUSB_ERROR_PIPE;
    }
}

}  // namespace ts::emulated

using namespace ts::emulated;

extern "C" {

int LIBUSB_CALL libusb_control_transfer(libusb_device_handle* handle, uint8_t requestType,
                                        uint8_t request, uint16_t value, uint16_t index,
                                        unsigned char* data, uint16_t length, unsigned int) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    return Control(bus, handle, {requestType, request, value, index, length}, data);
}

int LIBUSB_CALL libusb_get_string_descriptor_ascii(libusb_device_handle* handle, uint8_t index,
                                                   unsigned char* data, int length) {
    if (index == 0 || length <= 0) return LIBUSB_ERROR_INVALID_PARAM;
    unsigned char descriptor[255];
    const int got = libusb_get_string_descriptor(handle, index, kLanguageEnglishUs, descriptor,
                                                 sizeof descriptor);
    if (got < 0) return got;
    if (got < 2 || descriptor[1] != LIBUSB_DT_STRING || descriptor[0] > got) return LIBUSB_ERROR_IO;
    // As libusb does: one byte per UTF-16 unit, '?' for anything beyond ASCII.
    int out = 0;
    for (int i = 2; i + 1 < descriptor[0] && out < length - 1; i += 2) {
        const unsigned unit = descriptor[i] | (descriptor[i + 1] << 8);
        data[out++] = unit < 0x80 ? static_cast<unsigned char>(unit) : '?';
    }
    data[out] = 0;
    return out;
}

}  // extern "C"
