#include "device/libftdi/bulk_in_reader.h"

#include <libusb.h>
#include <pthread.h>
#include <sys/time.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <system_error>

#include "device/receive_queue.h"

namespace ts {

namespace {

constexpr int kStatusBytes = 2;
// Second status byte, bit 1: the chip's receive buffer overflowed since the last packet.
constexpr std::uint8_t kOverrunBit = 0x02;

// The line carries 115,200 bytes a second; the queue must outlast a quarter of one.
constexpr int kLineBytesPerSecond = 115200;
constexpr int kPayloadPerTransfer = BulkInReader::kTransferBytes / 64 * (64 - kStatusBytes);
static_assert(BulkInReader::kTransfers * kPayloadPerTransfer * 4 >= kLineBytesPerSecond,
              "the queued transfers must hold at least 250 ms of the line");

// How long the event thread waits for a completion before looking whether it is to stop.
constexpr suseconds_t kEventWaitUs = 100'000;
// A cancelled transfer comes back within a round trip to the host controller; one that does not
// come back in this time belongs to a device that has stopped answering.
constexpr auto kTakeBackLimit = std::chrono::seconds(2);

}  // namespace

BulkInReader::BulkInReader(libusb_context* context, libusb_device_handle* handle,
                           unsigned char endpoint, int packetBytes, ReceiveQueue& queue)
    : context_(context),
      handle_(handle),
      endpoint_(endpoint),
      packetBytes_(packetBytes > kStatusBytes ? packetBytes : 64),
      queue_(queue) {}

BulkInReader::~BulkInReader() { Stop(); }

bool BulkInReader::Start() {
    buffers_ = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(kTransfers) *
                                                              kTransferBytes);
    for (int i = 0; i < kTransfers; ++i) {
        libusb_transfer* transfer = libusb_alloc_transfer(0);
        if (transfer == nullptr) return false;
        transfers_[static_cast<std::size_t>(i)] = transfer;
        // No time-out: a silent instrument simply leaves the transfers waiting.
        libusb_fill_bulk_transfer(transfer, handle_, endpoint_,
                                  buffers_.get() + static_cast<std::size_t>(i) * kTransferBytes,
                                  kTransferBytes, &BulkInReader::OnTransfer, this, 0);
    }
    SubmitAll();
    try {
        thread_ = std::thread(&BulkInReader::HandleEvents, this);
    } catch (const std::system_error&) {
        return false;
    }
    pthread_setname_np(thread_.native_handle(), "ts-usb-reader");
    return !Gone();
}

void BulkInReader::SubmitAll() {
    for (libusb_transfer* transfer : transfers_) {
        const std::lock_guard lock(mutex_);
        if (libusb_submit_transfer(transfer) == 0) {
            ++inFlight_;
        } else {
            gone_.store(true, std::memory_order_release);
        }
    }
}

void BulkInReader::CancelAll() {
    // Transfers that are not in flight answer "not found", which is all right.
    for (libusb_transfer* transfer : transfers_) {
        if (transfer != nullptr) libusb_cancel_transfer(transfer);
    }
}

bool BulkInReader::WaitAllBack(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return allBack_.wait_for(lock, limit, [this] { return inFlight_ == 0; });
}

void BulkInReader::Stop() {
    {
        const std::lock_guard lock(mutex_);
        holding_ = true;
    }
    if (thread_.joinable()) {
        stopping_.store(true, std::memory_order_release);
        CancelAll();
        libusb_interrupt_event_handler(context_);
        thread_.join();
    }
    const std::lock_guard lock(mutex_);
    if (inFlight_ > 0) {
        // A transfer still in flight may yet be written to by the host controller: better to
        // leak it with its buffer than to free memory under it.
        (void)buffers_.release();
    } else {
        for (libusb_transfer* transfer : transfers_) libusb_free_transfer(transfer);
    }
    transfers_.fill(nullptr);
}

bool BulkInReader::Pause() {
    {
        const std::lock_guard lock(mutex_);
        holding_ = true;
    }
    CancelAll();
    if (WaitAllBack(std::chrono::duration_cast<std::chrono::milliseconds>(kTakeBackLimit))) {
        return true;
    }
    gone_.store(true, std::memory_order_release);
    return false;
}

void BulkInReader::Resume() {
    {
        const std::lock_guard lock(mutex_);
        holding_ = false;
    }
    SubmitAll();
}

void BulkInReader::HandleEvents() {
    std::optional<std::chrono::steady_clock::time_point> stopAsked;
    while (true) {
        if (stopping_.load(std::memory_order_acquire)) {
            const auto now = std::chrono::steady_clock::now();
            if (!stopAsked) stopAsked = now;
            {
                const std::lock_guard lock(mutex_);
                if (inFlight_ == 0) return;
            }
            if (now - *stopAsked > kTakeBackLimit) return;
        }
        timeval wait{0, kEventWaitUs};
        libusb_handle_events_timeout_completed(context_, &wait, nullptr);
    }
}

void BulkInReader::OnTransfer(libusb_transfer* transfer) {
    static_cast<BulkInReader*>(transfer->user_data)->Completed(transfer);
}

void BulkInReader::Completed(libusb_transfer* transfer) {
    const bool delivered = transfer->status == LIBUSB_TRANSFER_COMPLETED ||
                           transfer->status == LIBUSB_TRANSFER_TIMED_OUT;
    if (delivered) {
        Deliver(transfer->buffer, transfer->actual_length);
    } else if (transfer->status != LIBUSB_TRANSFER_CANCELLED) {
        // Unplugged or broken: status and read fail from now on, which the program sees as
        // silence and recovers from by reopening.
        gone_.store(true, std::memory_order_release);
    }
    const std::lock_guard lock(mutex_);
    if (delivered && !holding_ && !Gone()) {
        if (libusb_submit_transfer(transfer) == 0) return;
        gone_.store(true, std::memory_order_release);
    }
    --inFlight_;
    allBack_.notify_all();
}

void BulkInReader::Deliver(std::uint8_t* data, int length) {
    // Every packet, the short last one included, starts with two status bytes; the payloads are
    // closed up in place and handed over in one piece.
    std::size_t kept = 0;
    for (int offset = 0; offset + kStatusBytes <= length; offset += packetBytes_) {
        const int packet = std::min(packetBytes_, length - offset);
        if ((data[offset + 1] & kOverrunBit) != 0) {
            chipOverruns_.fetch_add(1, std::memory_order_relaxed);
        }
        const auto payload = static_cast<std::size_t>(packet - kStatusBytes);
        std::memmove(data + kept, data + offset + kStatusBytes, payload);
        kept += payload;
    }
    if (kept > 0) queue_.Push(data, kept);
}

}  // namespace ts
