// The libusb-1.0 functions that libftdi1 and our driver call, answered by the emulated bridges.
// Loaded ahead of the real library (preloaded, or linked before it), these definitions are the
// ones every caller in the process binds to.
#include <libusb.h>
#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "emulated_bridge/usb_bus.h"

namespace ts::emulated {
namespace {

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

libusb_context* defaultContext = nullptr;

libusb_context* Resolve(libusb_context* context) {
    if (context != nullptr) return context;
    if (defaultContext == nullptr) defaultContext = new libusb_context;
    return defaultContext;
}

bool Alive(const libusb_device_handle* handle) {
    const Bridge& bridge = *handle->device->bridge;
    return bridge.plugged && !bridge.removed && handle->device->generation == bridge.generation;
}

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

Time Deadline(unsigned int timeoutMs) {
    return timeoutMs == 0 ? Time::max() : Clock::now() + std::chrono::milliseconds(timeoutMs);
}

// Queues a transfer on its bridge; the bus lock is held.
int Submit(Bus& bus, libusb_transfer* transfer) {
    TransferState& state = StateOf(transfer);
    if (state.inFlight) return LIBUSB_ERROR_BUSY;
    libusb_device_handle* handle = transfer->dev_handle;
    if (handle == nullptr || transfer->length < 0) return LIBUSB_ERROR_INVALID_PARAM;
    if (!Alive(handle)) return LIBUSB_ERROR_NO_DEVICE;
    Bridge& bridge = *handle->device->bridge;
    state.bridge = &bridge;
    state.context = handle->device->context;
    state.syncDone = false;
    state.in = InRequest{transfer->buffer, transfer->length, 0, Deadline(transfer->timeout), 0};

    switch (transfer->type) {
        case LIBUSB_TRANSFER_TYPE_BULK:
            if (bridge.claimedBy != nullptr && bridge.claimedBy != handle) return LIBUSB_ERROR_BUSY;
            if (transfer->endpoint == kEndpointIn) {
                bus.Advance(bridge);
                state.inFlight = true;
                bridge.pending.push_back(&state.in);
                bus.changed.notify_all();
                return 0;
            }
            if (transfer->endpoint == kEndpointOut) {
                // The instrument listens to nothing; the bytes go out all the same.
                state.inFlight = true;
                state.in.actual = transfer->length;
                bus.Finish(transfer, LIBUSB_TRANSFER_COMPLETED);
                return 0;
            }
            return LIBUSB_ERROR_NOT_FOUND;
        case LIBUSB_TRANSFER_TYPE_CONTROL: {
            if (transfer->length < static_cast<int>(LIBUSB_CONTROL_SETUP_SIZE))
                return LIBUSB_ERROR_INVALID_PARAM;
            const libusb_control_setup* setup = libusb_control_transfer_get_setup(transfer);
            const ControlRequest request{
                setup->bmRequestType, setup->bRequest, libusb_le16_to_cpu(setup->wValue),
                libusb_le16_to_cpu(setup->wIndex), libusb_le16_to_cpu(setup->wLength)};
            const int result =
                Control(bus, handle, request, libusb_control_transfer_get_data(transfer));
            state.inFlight = true;
            state.in.actual = result < 0 ? 0 : result;
            bus.Finish(transfer, result == LIBUSB_ERROR_NO_DEVICE ? LIBUSB_TRANSFER_NO_DEVICE
                                 : result < 0                     ? LIBUSB_TRANSFER_STALL
                                                                  : LIBUSB_TRANSFER_COMPLETED);
            return 0;
        }
        default:
            return LIBUSB_ERROR_NOT_SUPPORTED;
    }
}

// Takes an in-flight transfer off its bridge and finishes it with `status`; lock held.
void Withdraw(Bus& bus, libusb_transfer* transfer, int status) {
    TransferState& state = StateOf(transfer);
    if (state.bridge != nullptr) {
        std::erase(state.bridge->pending, &state.in);
    }
    bus.Finish(transfer, status);
}

int SyncStatusToError(int status) {
    switch (status) {
        case LIBUSB_TRANSFER_COMPLETED:
            return 0;
        case LIBUSB_TRANSFER_TIMED_OUT:
            return LIBUSB_ERROR_TIMEOUT;
        case LIBUSB_TRANSFER_STALL:
            return LIBUSB_ERROR_PIPE;
        case LIBUSB_TRANSFER_OVERFLOW:
            return LIBUSB_ERROR_OVERFLOW;
        case LIBUSB_TRANSFER_NO_DEVICE:
            return LIBUSB_ERROR_NO_DEVICE;
        default:
            return LIBUSB_ERROR_IO;
    }
}

int HandleEvents(libusb_context* context, std::chrono::microseconds wait, int* completed) {
    Bus& bus = Bus::Get();
    bus.TakeStall();
    std::deque<libusb_transfer*> ready;
    {
        std::unique_lock lock(bus.mutex);
        context = Resolve(context);
        bus.changed.wait_until(lock, Clock::now() + wait, [&] {
            return (completed != nullptr && *completed != 0) || !context->completions.empty() ||
                   context->interrupted;
        });
        context->interrupted = false;
        ready.swap(context->completions);
    }
    // Callbacks run without the lock: they resubmit, and may free their transfer.
    for (libusb_transfer* transfer : ready) {
        const bool freeAfter = (transfer->flags & LIBUSB_TRANSFER_FREE_TRANSFER) != 0;
        if (transfer->callback != nullptr) transfer->callback(transfer);
        if (freeAfter) libusb_free_transfer(transfer);
    }
    return 0;
}

std::chrono::microseconds FromTimeval(const timeval* tv) {
    if (tv == nullptr) return kHandleEventsDefault;
    return std::chrono::seconds(tv->tv_sec) + std::chrono::microseconds(tv->tv_usec);
}

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

int LIBUSB_CALL libusb_init(libusb_context** context) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    ++bus.contextsCreated;
    auto* created = new libusb_context;
    if (context != nullptr) {
        *context = created;
    } else if (defaultContext == nullptr) {
        defaultContext = created;
    } else {
        delete created;
    }
    return 0;
}

void LIBUSB_CALL libusb_exit(libusb_context* context) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    libusb_context* gone = context != nullptr ? context : defaultContext;
    if (gone == nullptr) return;
    // Devices still referenced outlive their context; they must not reach back into it.
    for (auto& entry : gone->devices) entry.second->context = nullptr;
    if (gone == defaultContext) defaultContext = nullptr;
    delete gone;
}

void LIBUSB_CALL libusb_set_debug(libusb_context*, int) {}

int LIBUSB_CALL libusb_set_option(libusb_context*, enum libusb_option, ...) { return 0; }

const struct libusb_version* LIBUSB_CALL libusb_get_version(void) {
    static const libusb_version version{1, 0, 26, 0, "-emulated", "https://libusb.info"};
    return &version;
}

int LIBUSB_CALL libusb_has_capability(uint32_t capability) {
    return capability == LIBUSB_CAP_HAS_CAPABILITY ||
           capability == LIBUSB_CAP_SUPPORTS_DETACH_KERNEL_DRIVER;
}

const char* LIBUSB_CALL libusb_error_name(int code) {
    switch (code) {
        case LIBUSB_SUCCESS:
            return "LIBUSB_SUCCESS";
        case LIBUSB_ERROR_IO:
            return "LIBUSB_ERROR_IO";
        case LIBUSB_ERROR_INVALID_PARAM:
            return "LIBUSB_ERROR_INVALID_PARAM";
        case LIBUSB_ERROR_ACCESS:
            return "LIBUSB_ERROR_ACCESS";
        case LIBUSB_ERROR_NO_DEVICE:
            return "LIBUSB_ERROR_NO_DEVICE";
        case LIBUSB_ERROR_NOT_FOUND:
            return "LIBUSB_ERROR_NOT_FOUND";
        case LIBUSB_ERROR_BUSY:
            return "LIBUSB_ERROR_BUSY";
        case LIBUSB_ERROR_TIMEOUT:
            return "LIBUSB_ERROR_TIMEOUT";
        case LIBUSB_ERROR_OVERFLOW:
            return "LIBUSB_ERROR_OVERFLOW";
        case LIBUSB_ERROR_PIPE:
            return "LIBUSB_ERROR_PIPE";
        case LIBUSB_ERROR_INTERRUPTED:
            return "LIBUSB_ERROR_INTERRUPTED";
        case LIBUSB_ERROR_NO_MEM:
            return "LIBUSB_ERROR_NO_MEM";
        case LIBUSB_ERROR_NOT_SUPPORTED:
            return "LIBUSB_ERROR_NOT_SUPPORTED";
        default:
            return "LIBUSB_ERROR_OTHER";
    }
}

const char* LIBUSB_CALL libusb_strerror(int code) { return libusb_error_name(code); }

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

libusb_transfer* LIBUSB_CALL libusb_alloc_transfer(int isoPackets) {
    return isoPackets < 0 ? nullptr : NewTransfer(isoPackets);
}

void LIBUSB_CALL libusb_free_transfer(libusb_transfer* transfer) {
    if (transfer == nullptr) return;
    {
        Bus& bus = Bus::Get();
        const std::lock_guard lock(bus.mutex);
        TransferState& state = StateOf(transfer);
        if (state.inFlight) {
            std::fprintf(stderr, "emulated bridge: a transfer in flight was freed\n");
            if (state.bridge != nullptr) {
                ++state.bridge->hostMisuses;
                std::erase(state.bridge->pending, &state.in);
            }
        }
        if (state.context != nullptr) std::erase(state.context->completions, transfer);
    }
    if ((transfer->flags & LIBUSB_TRANSFER_FREE_BUFFER) != 0) std::free(transfer->buffer);
    DeleteTransfer(transfer);
}

int LIBUSB_CALL libusb_submit_transfer(libusb_transfer* transfer) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    return Submit(bus, transfer);
}

int LIBUSB_CALL libusb_cancel_transfer(libusb_transfer* transfer) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    TransferState& state = StateOf(transfer);
    // What became due before the cancel arrived completes normally.
    if (state.inFlight && state.bridge != nullptr) bus.Advance(*state.bridge);
    if (!state.inFlight) return LIBUSB_ERROR_NOT_FOUND;
    Withdraw(bus, transfer, LIBUSB_TRANSFER_CANCELLED);
    return 0;
}

int LIBUSB_CALL libusb_control_transfer(libusb_device_handle* handle, uint8_t requestType,
                                        uint8_t request, uint16_t value, uint16_t index,
                                        unsigned char* data, uint16_t length, unsigned int) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    return Control(bus, handle, {requestType, request, value, index, length}, data);
}

int LIBUSB_CALL libusb_bulk_transfer(libusb_device_handle* handle, unsigned char endpoint,
                                     unsigned char* data, int length, int* transferred,
                                     unsigned int timeout) {
    Bus& bus = Bus::Get();
    bus.TakeStall();
    libusb_transfer* transfer = NewTransfer(0);
    libusb_fill_bulk_transfer(transfer, handle, endpoint, data, length, nullptr, nullptr, timeout);
    TransferState& state = StateOf(transfer);
    state.sync = true;
    int result = 0;
    {
        std::unique_lock lock(bus.mutex);
        result = Submit(bus, transfer);
        if (result == 0) bus.changed.wait(lock, [&] { return state.syncDone; });
    }
    if (result == 0) {
        if (transferred != nullptr) *transferred = transfer->actual_length;
        result = SyncStatusToError(transfer->status);
    }
    DeleteTransfer(transfer);
    return result;
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

int LIBUSB_CALL libusb_handle_events_timeout_completed(libusb_context* context, timeval* tv,
                                                       int* completed) {
    return HandleEvents(context, FromTimeval(tv), completed);
}

int LIBUSB_CALL libusb_handle_events_timeout(libusb_context* context, timeval* tv) {
    return HandleEvents(context, FromTimeval(tv), nullptr);
}

int LIBUSB_CALL libusb_handle_events_completed(libusb_context* context, int* completed) {
    return HandleEvents(context, kHandleEventsDefault, completed);
}

int LIBUSB_CALL libusb_handle_events(libusb_context* context) {
    return HandleEvents(context, kHandleEventsDefault, nullptr);
}

void LIBUSB_CALL libusb_interrupt_event_handler(libusb_context* context) {
    Bus& bus = Bus::Get();
    const std::lock_guard lock(bus.mutex);
    Resolve(context)->interrupted = true;
    bus.changed.notify_all();
}

}  // extern "C"
