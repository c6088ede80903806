// libusb's contexts, version, capabilities and error names, as the emulator answers them.
#include "emulated_bridge/libusb_emulation.h"

namespace ts::emulated {

libusb_context* defaultContext = nullptr;

libusb_context* Resolve(libusb_context* context) {
    if (context != nullptr) return context;
    if (defaultContext == nullptr) defaultContext = new libusb_context;
    return defaultContext;
}

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

}  // extern "C"
