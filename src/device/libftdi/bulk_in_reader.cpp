#include "device/libftdi/bulk_in_reader.h"

#include <libusb.h>
#include <pthread.h>
#include <sys/time.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <system_error>

#include "device/line_rate.h"
#include "device/receive_queue.h"

namespace ts {

namespace {

constexpr int kStatusBytes = 2;
// Second status byte, bit 1: the chip's receive buffer overflowed since the last packet.
constexpr std::uint8_t kOverrunBit = 0x02;

// The queue must outlast a quarter of a second of the line.
constexpr int kPayloadPerTransfer = BulkInReader::kTransferBytes / 64 * (64 - kStatusBytes);
static_assert(BulkInReader::kTransfers * kPayloadPerTransfer * 4 >= kLineBytesPerSecond,
              "the queued transfers must hold at least 250 ms of the line");

// How long the event thread waits for a completion before looking whether it is to stop.
constexpr std::chrono::microseconds kEventWait{100'000};
static_assert(BulkInReader::kHandOverAfter.count() * kLineBytesPerSecond >
                  1000 * kPayloadPerTransfer,
              "at the line rate a transfer must fill before it is taken back");
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
        // No time-out: the oldest transfer is taken back when due (HandOverIfDue), the others
        // keep their place in the queue.
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

std::size_t BulkInReader::IndexOf(const libusb_transfer* transfer) const {
    return static_cast<std::size_t>(transfer->buffer - buffers_.get()) / kTransferBytes;
}

bool BulkInReader::Submit(libusb_transfer* transfer) {
    if (libusb_submit_transfer(transfer) != 0) {
        queuedAs_[IndexOf(transfer)] = 0;
        return false;
    }
    queuedAs_[IndexOf(transfer)] = ++submissions_;
    return true;
}

void BulkInReader::SubmitAll() {
    for (libusb_transfer* transfer : transfers_) {
        const std::lock_guard lock(mutex_);
        lastBack_ = std::chrono::steady_clock::now();
        if (Submit(transfer)) {
            ++inFlight_;
        } else {
            gone_.store(true, std::memory_order_release);
        }
    }
}

std::chrono::microseconds BulkInReader::HandOverIfDue() {
    libusb_transfer* oldest = nullptr;
    std::chrono::microseconds wait = kEventWait;
    {
        const std::lock_guard lock(mutex_);
        if (holding_ || inFlight_ == 0) return wait;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastBack_ >= kHandOverAfter) {
            std::uint64_t first = 0;
            for (std::size_t i = 0; i < transfers_.size(); ++i) {
                if (queuedAs_[i] != 0 && (first == 0 || queuedAs_[i] < first)) {
                    first = queuedAs_[i];
                    oldest = transfers_[i];
                }
            }
            // Not again before this one is back, or another while has passed.
            lastBack_ = now;
        }
        wait = std::min(
            wait, std::chrono::ceil<std::chrono::microseconds>(lastBack_ + kHandOverAfter - now));
    }
    // It comes back as cancelled, with the bytes received so far.
    if (oldest != nullptr) libusb_cancel_transfer(oldest);
    return wait;
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
    // The event thread may be waiting out a long look taken while paused; the hand-overs are due
    // again from now on.
    libusb_interrupt_event_handler(context_);
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
        const std::chrono::microseconds due = HandOverIfDue();
        // At least a millisecond, so that a late look does not spin.
        timeval wait{0, static_cast<suseconds_t>(std::max<std::int64_t>(due.count(), 1000))};
        libusb_handle_events_timeout_completed(context_, &wait, nullptr);
    }
}

void BulkInReader::OnTransfer(libusb_transfer* transfer) {
    static_cast<BulkInReader*>(transfer->user_data)->Completed(transfer);
}

void BulkInReader::Completed(libusb_transfer* transfer) {
    const bool cancelled = transfer->status == LIBUSB_TRANSFER_CANCELLED;
    const bool arrived = cancelled || transfer->status == LIBUSB_TRANSFER_COMPLETED ||
                         transfer->status == LIBUSB_TRANSFER_TIMED_OUT;
    if (!arrived) {
        // Unplugged or broken: status and read fail from now on, which the program sees as
        // silence and recovers from by reopening.
        gone_.store(true, std::memory_order_release);
    }
    const std::lock_guard lock(mutex_);
    lastBack_ = std::chrono::steady_clock::now();
    // Taken back for a pause or a stop, a transfer holds bytes from before the reset or the
    // close, which must not arrive; taken back only to hand over, the line's latest bytes.
    if (arrived && !(cancelled && holding_)) Deliver(transfer->buffer, transfer->actual_length);
    if (arrived && !holding_ && !Gone()) {
        if (Submit(transfer)) return;
        gone_.store(true, std::memory_order_release);
    }
    queuedAs_[IndexOf(transfer)] = 0;
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
