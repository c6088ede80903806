#include "device/libftdi/ftdi_driver.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <string>

#include "device/libftdi/bulk_in_reader.h"
#include "device/libftdi/tty_in_use.h"
#include "device/receive_queue.h"

namespace ts {
namespace {

// Control requests take about a millisecond on a healthy chip; a hung one must not freeze the
// user interface for libftdi's default five seconds.
constexpr int kUsbControlTimeoutMs = 250;
// The latency timer sends a partial packet when no full one has come together in this time. The
// instrument fills a packet every half millisecond, so this only matters for the last bytes
// before a silence; the chip's own default keeps the idle link from waking us more than needed.
constexpr unsigned char kLatencyMs = 16;
// USB allows at most seven tiers of ports below the root hub.
constexpr int kMaxPortDepth = 7;
// Room for any string descriptor; the results are shortened to our buffers afterwards.
constexpr int kDescriptorChars = 256;

FtStatus ToStatus(int result) { return result < 0 ? kFtError : kFtOk; }

void CopyTruncated(const char* text, char* out, std::size_t outSize) {
    const std::size_t length = strnlen(text, outSize - 1);
    std::memcpy(out, text, length);
    std::memset(out + length, 0, outSize - length);
}

std::optional<ftdi_bits_type> ToBits(std::uint8_t wordLength) {
    switch (wordLength) {
        case 7:
            return BITS_7;
        case 8:
            return BITS_8;
        default:
            return std::nullopt;
    }
}

std::optional<ftdi_stopbits_type> ToStopBits(std::uint8_t stopBits) {
    switch (stopBits) {
        case 0:
            return STOP_BIT_1;
        case 1:
            return STOP_BIT_15;
        case 2:
            return STOP_BIT_2;
        default:
            return std::nullopt;
    }
}

std::optional<ftdi_parity_type> ToParity(std::uint8_t parity) {
    switch (parity) {
        case 0:
            return NONE;
        case 1:
            return ODD;
        case 2:
            return EVEN;
        case 3:
            return MARK;
        case 4:
            return SPACE;
        default:
            return std::nullopt;
    }
}

// Finds the device at bus/address among those `context` itself lists and opens it there, so
// the open device belongs to its own libusb context and not to the one that built our list.
int OpenOnContext(ftdi_context* context, std::uint8_t bus, std::uint8_t address) {
    ftdi_device_list* found = nullptr;
    int result = ftdi_usb_find_all(context, &found, 0, 0);
    if (result >= 0) {
        result = -1;
        for (ftdi_device_list* entry = found; entry != nullptr; entry = entry->next) {
            if (libusb_get_bus_number(entry->dev) == bus &&
                libusb_get_device_address(entry->dev) == address) {
                result = ftdi_usb_open_dev(context, entry->dev);
                break;
            }
        }
    }
    ftdi_list_free(&found);
    return result;
}

}  // namespace

// One open bridge: its libftdi context, the reader that keeps transfers queued on it, and the
// queue between the reader and the user-interface thread.
//
// libftdi is not thread-safe, and only the user-interface thread calls it: it configures the
// chip with control requests while the reader's thread touches nothing but its own transfers
// and the queue. libftdi 1.5's own asynchronous read fills one shared buffer from every queued
// transfer, and its stream reader refuses this chip, so the reader talks to libusb directly on
// the handle libftdi opened.
class FtdiDriver::Device {
public:
    static std::unique_ptr<Device> Open(std::uint8_t bus, std::uint8_t address) {
        // Owning the context from the start lets every failure below simply return.
        std::unique_ptr<Device> device(new Device(ftdi_new()));
        ftdi_context* context = device->context_;
        if (context == nullptr) {
            return nullptr;
        }
        // libusb detaches the kernel serial driver from this interface only, and gives it back
        // when Close releases the interface.
        context->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
        context->usb_read_timeout = kUsbControlTimeoutMs;
        context->usb_write_timeout = kUsbControlTimeoutMs;
        if (ftdi_set_interface(context, INTERFACE_A) < 0 ||
            OpenOnContext(context, bus, address) < 0) {
            return nullptr;
        }
        // A failure here only costs latency; a dead device shows up in the reader.
        ftdi_set_latency_timer(context, kLatencyMs);
        device->reader_ = std::make_unique<BulkInReader>(
            context->usb_ctx, context->usb_dev, static_cast<unsigned char>(context->out_ep),
            static_cast<int>(context->max_packet_size), device->queue_);
        if (!device->reader_->Start()) {
            return nullptr;
        }
        return device;
    }

    ~Device() {
        // The transfers come back before the handle they run on is closed.
        reader_.reset();
        if (context_ != nullptr) {
            // Releasing the interface hands the device back to the kernel serial driver.
            ftdi_usb_close(context_);
            ftdi_free(context_);
        }
    }

    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Runs `call(context)`. A device whose reader has stopped counts as gone, so the program
    // reopens it rather than configuring a dead link.
    template <typename Call>
    FtStatus Configure(Call&& call) {
        if (Gone()) {
            return kFtError;
        }
        return ToStatus(call(context_));
    }

    // Resets the chip with the reader's transfers taken back, so that no byte received before
    // the reset can arrive after it.
    FtStatus Reset() {
        if (Gone() || !reader_->Pause()) {
            return kFtError;
        }
        int result = ftdi_usb_reset(context_);
        // ftdi_tciflush exists in libftdi 1.5; the older purge call would empty the transmit
        // FIFO instead, so there is no fallback to it.
        if (result >= 0) {
            result = ftdi_tciflush(context_);
        }
        queue_.Clear();
        reader_->Resume();
        return ToStatus(result);
    }

    bool Gone() const { return reader_ == nullptr || reader_->Gone(); }

    ReceiveQueue& Queue() { return queue_; }

    DriverLosses Losses() const { return {reader_->ChipOverruns(), queue_.OverrunBytes()}; }

private:
    explicit Device(ftdi_context* context) : context_(context) {}

    ftdi_context* const context_;
    ReceiveQueue queue_;
    std::unique_ptr<BulkInReader> reader_;
};

FtdiDriver::FtdiDriver(SystemRoots roots) : roots_(std::move(roots)) {}

FtdiDriver::~FtdiDriver() {
    open_.clear();
    FreeList();
    if (listContext_ != nullptr) {
        ftdi_free(listContext_);
    }
}

void FtdiDriver::FreeList() {
    listed_.clear();
    ftdi_list_free(&list_);
}

FtdiDriver::Device* FtdiDriver::Find(FtHandle handle) const {
    for (const std::unique_ptr<Device>& device : open_) {
        if (reinterpret_cast<FtHandle>(device.get()) == handle) {
            return device.get();
        }
    }
    return nullptr;
}

FtStatus FtdiDriver::CreateDeviceInfoList(std::uint32_t& count) {
    count = 0;
    FreeList();
    if (listContext_ == nullptr) {
        listContext_ = ftdi_new();
        if (listContext_ == nullptr) {
            return kFtError;
        }
    }
    // Vendor and product 0 select every bridge of the family libftdi knows.
    if (ftdi_usb_find_all(listContext_, &list_, 0, 0) < 0) {
        FreeList();
        return kFtError;
    }
    for (ftdi_device_list* entry = list_; entry != nullptr; entry = entry->next) {
        listed_.push_back(entry->dev);
    }
    count = static_cast<std::uint32_t>(listed_.size());
    return kFtOk;
}

FtStatus FtdiDriver::GetDeviceInfoDetail(std::uint32_t index, char (&serial)[kSerialBufferSize],
                                         char (&description)[kDescriptionBufferSize]) {
    std::memset(serial, 0, sizeof serial);
    std::memset(description, 0, sizeof description);
    if (index >= listed_.size()) {
        return kFtError;
    }
    std::array<char, kDescriptorChars> serialText{};
    std::array<char, kDescriptorChars> descriptionText{};
    if (ftdi_usb_get_strings2(listContext_, listed_[index], nullptr, 0, descriptionText.data(),
                              kDescriptorChars, serialText.data(), kDescriptorChars) < 0) {
        return kFtError;
    }
    CopyTruncated(serialText.data(), serial, sizeof serial);
    CopyTruncated(descriptionText.data(), description, sizeof description);
    return kFtOk;
}

FtStatus FtdiDriver::Open(std::uint32_t index, FtHandle& handle) {
    handle = 0;
    if (index >= listed_.size()) {
        return kFtError;
    }
    libusb_device* listedDevice = listed_[index];
    std::array<std::uint8_t, kMaxPortDepth> ports{};
    const int depth = libusb_get_port_numbers(listedDevice, ports.data(), kMaxPortDepth);
    if (depth <= 0) {
        return kFtError;
    }
    const std::uint8_t bus = libusb_get_bus_number(listedDevice);
    const std::string sysfsName =
        UsbSysfsName(bus, std::span(ports.data(), static_cast<std::size_t>(depth)));
    // Claiming the interface would tear the port away from a program using it.
    if (UsbDeviceTtyInUse(roots_.usbDevices, roots_.proc, sysfsName)) {
        return kFtError;
    }
    open_.reserve(open_.size() + 1);
    std::unique_ptr<Device> device = Device::Open(bus, libusb_get_device_address(listedDevice));
    if (!device) {
        return kFtError;
    }
    handle = reinterpret_cast<FtHandle>(device.get());
    open_.push_back(std::move(device));
    return kFtOk;
}

FtStatus FtdiDriver::Close(FtHandle handle) {
    const auto found = std::find_if(open_.begin(), open_.end(), [handle](const auto& device) {
        return reinterpret_cast<FtHandle>(device.get()) == handle;
    });
    if (found == open_.end()) {
        return kFtError;
    }
    // Stops the reader, releases the interface (the kernel driver returns) and frees all.
    open_.erase(found);
    return kFtOk;
}

FtStatus FtdiDriver::ResetDevice(FtHandle handle) {
    Device* device = Find(handle);
    return device == nullptr ? kFtError : device->Reset();
}

FtStatus FtdiDriver::SetBaudRate(FtHandle handle, std::uint32_t baud) {
    Device* device = Find(handle);
    if (device == nullptr || baud > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
        return kFtError;
    }
    return device->Configure([baud](ftdi_context* context) {
        return ftdi_set_baudrate(context, static_cast<int>(baud));
    });
}

FtStatus FtdiDriver::SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                            std::uint8_t stopBits, std::uint8_t parity) {
    Device* device = Find(handle);
    const auto bits = ToBits(wordLength);
    const auto stop = ToStopBits(stopBits);
    const auto par = ToParity(parity);
    if (device == nullptr || !bits || !stop || !par) {
        return kFtError;
    }
    return device->Configure(
        [&](ftdi_context* context) { return ftdi_set_line_property(context, *bits, *stop, *par); });
}

FtStatus FtdiDriver::SetTimeouts(FtHandle handle, std::uint32_t, std::uint32_t) {
    // Reads never block and nothing is written, so there is nothing for time-outs to bound;
    // the call only answers whether the device is still there.
    Device* device = Find(handle);
    return device == nullptr || device->Gone() ? kFtError : kFtOk;
}

FtStatus FtdiDriver::SetFlowControl(FtHandle handle, std::uint16_t flow, std::uint8_t xon,
                                    std::uint8_t xoff) {
    Device* device = Find(handle);
    if (device == nullptr) {
        return kFtError;
    }
    switch (flow) {
        case 0x0000:
            return device->Configure([](ftdi_context* context) {
                return ftdi_setflowctrl(context, SIO_DISABLE_FLOW_CTRL);
            });
        case 0x0100:
            return device->Configure(
                [](ftdi_context* context) { return ftdi_setflowctrl(context, SIO_RTS_CTS_HS); });
        case 0x0200:
            return device->Configure(
                [](ftdi_context* context) { return ftdi_setflowctrl(context, SIO_DTR_DSR_HS); });
        case 0x0400:
            // The plain call would send zero as both characters.
            return device->Configure([xon, xoff](ftdi_context* context) {
                return ftdi_setflowctrl_xonxoff(context, xon, xoff);
            });
        default:
            return kFtError;
    }
}

FtStatus FtdiDriver::GetStatus(FtHandle handle, std::uint32_t& rxBytes) {
    rxBytes = 0;
    Device* device = Find(handle);
    if (device == nullptr || device->Gone()) {
        return kFtError;
    }
    rxBytes = static_cast<std::uint32_t>(
        std::min<std::size_t>(device->Queue().Size(), std::numeric_limits<std::uint32_t>::max()));
    return kFtOk;
}

FtStatus FtdiDriver::Read(FtHandle handle, std::uint8_t* buffer, std::uint32_t toRead,
                          std::uint32_t& bytesRead) {
    bytesRead = 0;
    Device* device = Find(handle);
    if (device == nullptr || device->Gone() || (buffer == nullptr && toRead > 0)) {
        return kFtError;
    }
    bytesRead = static_cast<std::uint32_t>(device->Queue().Pop(buffer, toRead));
    return kFtOk;
}

FtStatus FtdiDriver::GetLosses(FtHandle handle, DriverLosses& losses) {
    losses = {};
    Device* device = Find(handle);
    if (device == nullptr) {
        return kFtError;
    }
    // A device that has gone still tells what it lost until its handle is closed: the last
    // moments before an unplug are when losses are most likely.
    losses = device->Losses();
    return kFtOk;
}

}  // namespace ts
