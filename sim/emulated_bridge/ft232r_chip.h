#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "device/line_rate.h"

namespace ts::emulated {

using Clock = std::chrono::steady_clock;
using Time = Clock::time_point;

// One bulk IN transfer as the chip sees it: room to fill with 64-byte packets.
struct InRequest {
    std::uint8_t* buffer = nullptr;
    int length = 0;
    int actual = 0;
    Time deadline = Time::max();
    int status = 0;  // a libusb_transfer_status once finished
};

// The setup of a vendor or standard control request, as the host sent it.
struct ControlRequest {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
};

// The serial line as the vendor requests have set it; the defaults are the chip's at power-on.
struct LineSettings {
    std::uint32_t baud = 9600;
    int dataBits = 8;
    int parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = 0;  // 0 one, 1 one and a half, 2 two
    bool breakOn = false;
    std::uint16_t flow = 0;  // 0 none, 0x100 RTS/CTS, 0x200 DTR/DSR, 0x400 XON/XOFF
    std::uint8_t xon = 0;
    std::uint8_t xoff = 0;
    int latencyMs = 16;
    bool dtr = false;
    bool rts = false;
    int resets = 0;
    int rxPurges = 0;
};

struct ChipCounters {
    std::uint64_t streamed = 0;      // bytes the instrument has sent so far
    std::uint64_t delivered = 0;     // bytes handed to the host in packets
    std::uint64_t lostInFifo = 0;    // arrived while the receive FIFO was full
    std::uint64_t unheard = 0;       // arrived while unpowered or at another baud rate
    std::uint64_t purged = 0;        // thrown away by a reset or a purge
    std::uint64_t overrunFlags = 0;  // packets whose status told of lost bytes
    std::uint64_t packets = 0;
};

// An FT232R receiving a stream from an instrument: bytes arrive in real time into a 256-byte
// FIFO and leave in 64-byte packets led by two status bytes, only while the host has an IN
// transfer waiting. Time is a parameter, so the model itself is deterministic; the bus drives
// it with the clock.
class Ft232rChip {
public:
    static constexpr std::size_t kFifoBytes = 256;
    static constexpr int kPacketBytes = 64;
    static constexpr int kStatusBytes = 2;
    // The instrument streams at `bytesPerSecond`, at most the line rate; a slower one leaves
    // pauses between its bytes.
    Ft232rChip(std::vector<std::uint8_t> stream, Time now,
               std::int64_t bytesPerSecond = kLineBytesPerSecond);

    // Answers a vendor request; `data` holds `length` bytes for the answer of an IN request.
    // Returns the bytes answered, or a negative libusb error (a stall for unknown requests).
    int Vendor(const ControlRequest& request, std::uint8_t* data, Time now);

    // Runs the chip from where it stood to `now`. `pending` lists the host's IN transfers in
    // the order they were queued; those that finish (full, short packet, time-out, babble)
    // leave it and are appended to `finished`. The set of pending transfers must not change
    // between two calls except through this one.
    void Advance(Time now, std::deque<InRequest*>& pending, std::vector<InRequest*>& finished);
    // When Advance next has something to do for `pending`; Time::max() when nothing.
    Time NextEvent(const std::deque<InRequest*>& pending) const;

    // Unplugged: FIFO and settings are gone; the instrument's bytes go unheard meanwhile.
    void PowerOff(Time now);
    void PowerOn(Time now);

    const LineSettings& Settings() const { return settings_; }
    const ChipCounters& Counters() const { return counters_; }

private:
    bool Hearing() const;
    std::size_t ArrivedBy(Time t) const;
    Time ArrivalOf(std::size_t count) const;
    void ReceiveUntil(Time t);
    Time NextPacket(const std::deque<InRequest*>& pending) const;
    // The pending transfer with the earliest deadline, or pending.end().
    std::deque<InRequest*>::const_iterator FirstDeadline(
        const std::deque<InRequest*>& pending) const;
    void SendPacket(Time t, std::deque<InRequest*>& pending, std::vector<InRequest*>& finished);
    void Purge();
    void SetBaud(std::uint16_t value, std::uint16_t index, Time now);

    std::vector<std::uint8_t> stream_;
    std::int64_t bytesPerSecond_;
    std::optional<Time> streamStart_;
    std::size_t arrived_ = 0;
    Time now_;
    Time lastPacket_;
    bool powered_ = true;
    bool overrunPending_ = false;

    std::array<std::uint8_t, kFifoBytes> fifo_{};
    std::size_t fifoHead_ = 0;
    std::size_t fifoSize_ = 0;

    LineSettings settings_;
    ChipCounters counters_;
};

// The baud rate an FT232R runs at for the divisor libftdi encodes into a request's value and
// index: a 3 MHz base divided by an integer plus eighths, with two special codes.
std::uint32_t DecodeBaudDivisor(std::uint16_t value, std::uint16_t index);

}  // namespace ts::emulated
