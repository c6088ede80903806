#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "device/receive_queue.h"
#include "emulated_d2xx/instrument_stream.h"

namespace ts::emulated {

using Clock = std::chrono::steady_clock;
using Time = Clock::time_point;

// One bridge as the vendor's driver presents it, with its instrument attached. The driver
// receives into a queue of its own whether or not the program polls; here that queue is filled
// on every call by the time that has passed, which comes to the same for a program that can
// only look through calls. Time is a parameter, so the model itself is deterministic.
//
// The receive queue holds 1 MiB, about 9 s of the line, as the Linux driver's does, so a program
// sees the same backlog on both systems; tests may make it smaller. What arrives while it is full
// is dropped and counted.
class D2xxBridge {
public:
    static constexpr std::size_t kQueueBytes = ReceiveQueue::kCapacity;

    D2xxBridge(std::string description, std::string serial, InstrumentStream stream,
               std::size_t queueBytes = kQueueBytes);

    const std::string& Description() const { return description_; }
    const std::string& Serial() const { return serial_; }
    bool Plugged() const { return plugged_; }
    bool IsOpen() const { return open_; }

    // Receives what the instrument sent up to `now`: into the queue while the bridge is open,
    // unheard otherwise. Once the stream has ended and the program has read its last byte (or
    // the bridge is not open), the bridge is unplugged.
    void Advance(Time now);

    // Fails while the bridge is open already.
    bool Open();
    // Releases the bridge; what was still queued is gone.
    void Close();
    // The chip's reset: the queue is emptied.
    void Reset();
    // The line's baud rate was set: the instrument's stream starts, the first time only, and
    // goes on whether the bridge is open or not.
    void StartStream(Time now);

    std::size_t Waiting() const { return queue_.Size(); }
    std::size_t Read(std::uint8_t* out, std::size_t max) { return queue_.Pop(out, max); }
    // Bytes dropped at a full queue since the bridge was last opened.
    std::uint64_t Dropped() const { return dropped_; }

private:
    void Receive(std::uint64_t count);

    const std::string description_;
    const std::string serial_;
    InstrumentStream stream_;
    std::optional<Time> streamStart_;
    std::uint64_t sent_ = 0;
    bool plugged_ = true;
    bool open_ = false;
    ReceiveQueue queue_;
    const std::size_t queueBytes_;
    std::uint64_t dropped_ = 0;
};

}  // namespace ts::emulated
