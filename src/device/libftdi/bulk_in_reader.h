#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

struct libusb_context;
struct libusb_device_handle;
struct libusb_transfer;

namespace ts {

class ReceiveQueue;

// Keeps bulk IN transfers queued on an open USB-serial bridge at all times and feeds what they
// bring, the two status bytes of every packet stripped, into a receive queue.
//
// The bridge chip buffers only 256 bytes, about 2 ms of the instrument's line. With a single
// transfer, every moment between its completion and the next submission is a moment in which
// the chip has nowhere to send and overflows; with several queued, the host controller fills
// the next one while this thread is away, so it may be kept off the processor for as long as the
// queue lasts without a byte lost.
//
// A transfer completes when it is full or a packet comes short. A slow stream fills whole
// packets without a short one for as long as it lasts, and a transfer could then take most of a
// second to fill: longer than the silence that takes the link down. So when nothing has come
// back for a few tens of milliseconds, the oldest transfer, the one being filled, is taken back
// with what it holds and queued again behind the others, which go on receiving meanwhile.
class BulkInReader {
public:
    // 64 packets of 62 bytes each: about 34 ms of the line a transfer; sixteen of them hold over
    // half a second of it.
    static constexpr int kTransferBytes = 4096;
    static constexpr int kTransfers = 16;
    // Longer than a transfer takes to fill at the line rate, so that a full-speed stream is never
    // taken back; short against the link's silence limit.
    static constexpr std::chrono::milliseconds kHandOverAfter{40};

    BulkInReader(libusb_context* context, libusb_device_handle* handle, unsigned char endpoint,
                 int packetBytes, ReceiveQueue& queue);
    ~BulkInReader();
    BulkInReader(const BulkInReader&) = delete;
    BulkInReader& operator=(const BulkInReader&) = delete;

    // Queues every transfer and starts the thread that handles their completions.
    bool Start();
    // Takes every transfer back and ends the thread.
    void Stop();
    // Takes every transfer back, so that nothing arrives until Resume: what the chip held before a
    // reset must not follow it. False when they did not all come back, the device counting as gone.
    bool Pause();
    void Resume();

    // The device failed or went away; nothing more will arrive.
    bool Gone() const { return gone_.load(std::memory_order_acquire); }
    // Packets whose status told of bytes the chip lost for want of room.
    std::uint64_t ChipOverruns() const { return chipOverruns_.load(std::memory_order_relaxed); }

private:
    static void OnTransfer(libusb_transfer* transfer);
    void Completed(libusb_transfer* transfer);
    void Deliver(std::uint8_t* data, int length);
    void HandleEvents();
    void SubmitAll();
    // Queues `transfer` again; false when the device refused it. Lock held.
    bool Submit(libusb_transfer* transfer);
    std::size_t IndexOf(const libusb_transfer* transfer) const;
    // Takes back the oldest transfer in flight when nothing has come back for kHandOverAfter;
    // returns how long the event thread may wait before it looks again.
    std::chrono::microseconds HandOverIfDue();
    void CancelAll();
    bool WaitAllBack(std::chrono::milliseconds limit);

    libusb_context* const context_;
    libusb_device_handle* const handle_;
    const unsigned char endpoint_;
    const int packetBytes_;
    ReceiveQueue& queue_;

    std::unique_ptr<std::uint8_t[]> buffers_;
    std::array<libusb_transfer*, kTransfers> transfers_{};
    // When each transfer was queued, counted in submissions; 0 when it is not in flight. By
    // mutex_.
    std::array<std::uint64_t, kTransfers> queuedAs_{};
    std::uint64_t submissions_ = 0;                   // by mutex_
    std::chrono::steady_clock::time_point lastBack_;  // a transfer last came back; by mutex_

    std::mutex mutex_;
    std::condition_variable allBack_;
    int inFlight_ = 0;      // guarded by mutex_
    bool holding_ = false;  // paused or stopping: completed transfers stay back; by mutex_
    std::atomic<bool> stopping_{false};
    std::atomic<bool> gone_{false};
    std::atomic<std::uint64_t> chipOverruns_{0};
    std::thread thread_;
};

}  // namespace ts
