#include "emulated_bridge/ft232r_chip.h"

#include <libusb.h>

#include <algorithm>
#include <cstdlib>

namespace ts::emulated {

namespace {

using std::chrono::nanoseconds;

constexpr std::int64_t kNsPerSecond = 1'000'000'000;

// While a transfer waits, the bus wakes at least every few milliseconds. A longer gap means the
// emulator itself was kept off the processor: the instrument must not notice that, or the
// program under test would be blamed for bytes our own delay lost.
constexpr auto kMaxBusLag = std::chrono::milliseconds(20);

// A UART samples each bit in the middle; a few per cent of mismatch still reads clean bytes.
constexpr std::uint32_t kBaudTolerancePercent = 3;

constexpr std::uint8_t kModemStatus = 0x01;     // the low nibble reads 1 on this chip
constexpr std::uint8_t kLineStatusIdle = 0x60;  // transmitter holding and shift registers empty
constexpr std::uint8_t kLineStatusOverrun = 0x02;

enum VendorRequest : std::uint8_t {
    kReset = 0x00,
    kModemCtrl = 0x01,
    kSetFlowCtrl = 0x02,
    kSetBaudRate = 0x03,
    kSetData = 0x04,
    kPollModemStatus = 0x05,
    kSetEventChar = 0x06,
    kSetErrorChar = 0x07,
    kSetLatencyTimer = 0x09,
    kGetLatencyTimer = 0x0A,
    kSetBitmode = 0x0B,
    kReadPins = 0x0C,
    kReadEeprom = 0x90,
};

// Values of the reset request. libftdi 1.5 flushes the receive side with 2 and the transmit
// side with 1, the reverse of the names its older purge calls used.
constexpr std::uint16_t kResetSio = 0;
constexpr std::uint16_t kFlushTransmit = 1;
constexpr std::uint16_t kFlushReceive = 2;

int Answer(std::uint8_t* data, std::uint16_t room, std::initializer_list<std::uint8_t> bytes) {
    const int count = std::min<int>(room, static_cast<int>(bytes.size()));
    std::copy_n(bytes.begin(), count, data);
    return count;
}

}  // namespace

std::uint32_t DecodeBaudDivisor(std::uint16_t value, std::uint16_t index) {
    const std::uint32_t encoded = value | (std::uint32_t{index & 1u} << 16);
    if (encoded == 0) return 3'000'000;
    if (encoded == 1) return 2'000'000;
    // The three bits above the integer part pick a fraction in eighths.
    static constexpr std::uint32_t kEighths[8] = {0, 4, 2, 1, 3, 5, 6, 7};
    const std::uint32_t eighths = (value & 0x3FFFu) * 8 + kEighths[(encoded >> 14) & 7u];
    if (eighths == 0) return 0;
    return (3'000'000u * 8 + eighths / 2) / eighths;
}

Ft232rChip::Ft232rChip(std::vector<std::uint8_t> stream, Time now, std::int64_t bytesPerSecond)
    : stream_(std::move(stream)),
      bytesPerSecond_(std::clamp<std::int64_t>(bytesPerSecond, 1, kLineBytesPerSecond)),
      now_(now),
      lastPacket_(now) {}

bool Ft232rChip::Hearing() const {
    const std::uint32_t baud = settings_.baud;
    const std::uint32_t off =
        baud > kInstrumentBaud ? baud - kInstrumentBaud : kInstrumentBaud - baud;
    return powered_ && off * 100 <= kInstrumentBaud * kBaudTolerancePercent;
}

std::size_t Ft232rChip::ArrivedBy(Time t) const {
    if (!streamStart_ || t <= *streamStart_) return 0;
    // Whole seconds and the rest apart: integers keep days of streaming exact.
    const std::int64_t ns = std::chrono::duration_cast<nanoseconds>(t - *streamStart_).count();
    const auto sent = static_cast<std::uint64_t>(
        ns / kNsPerSecond * bytesPerSecond_ + ns % kNsPerSecond * bytesPerSecond_ / kNsPerSecond);
    return static_cast<std::size_t>(std::min<std::uint64_t>(sent, stream_.size()));
}

Time Ft232rChip::ArrivalOf(std::size_t count) const {
    const auto n = static_cast<std::int64_t>(count);
    const std::int64_t ns =
        n / bytesPerSecond_ * kNsPerSecond +
        (n % bytesPerSecond_ * kNsPerSecond + bytesPerSecond_ - 1) / bytesPerSecond_;
    return *streamStart_ + nanoseconds(ns);
}

void Ft232rChip::ReceiveUntil(Time t) {
    if (t > now_) now_ = t;
    const std::size_t target = ArrivedBy(now_);
    const bool hearing = Hearing();
    for (; arrived_ < target; ++arrived_) {
        if (!hearing) {
            ++counters_.unheard;
        } else if (fifoSize_ == kFifoBytes) {
            ++counters_.lostInFifo;
            overrunPending_ = true;
        } else {
            fifo_[(fifoHead_ + fifoSize_) % kFifoBytes] = stream_[arrived_];
            ++fifoSize_;
        }
    }
    counters_.streamed = arrived_;
}

Time Ft232rChip::NextPacket(const std::deque<InRequest*>& pending) const {
    if (pending.empty() || !powered_) return Time::max();
    constexpr std::size_t kPayload = kPacketBytes - kStatusBytes;
    // The latency timer sends whatever is there, status bytes alone included.
    Time ready = lastPacket_ + std::chrono::milliseconds(settings_.latencyMs);
    if (fifoSize_ >= kPayload) {
        ready = now_;
    } else if (streamStart_ && Hearing()) {
        const std::size_t needed = arrived_ + (kPayload - fifoSize_);
        if (needed <= stream_.size()) ready = std::min(ready, ArrivalOf(needed));
    }
    return std::max(ready, now_);
}

std::deque<InRequest*>::const_iterator Ft232rChip::FirstDeadline(
    const std::deque<InRequest*>& pending) const {
    return std::min_element(
        pending.begin(), pending.end(),
        [](const InRequest* a, const InRequest* b) { return a->deadline < b->deadline; });
}

Time Ft232rChip::NextEvent(const std::deque<InRequest*>& pending) const {
    if (pending.empty()) return Time::max();
    return std::min(NextPacket(pending), (*FirstDeadline(pending))->deadline);
}

void Ft232rChip::Advance(Time now, std::deque<InRequest*>& pending,
                         std::vector<InRequest*>& finished) {
    if (now < now_) now = now_;
    if (!pending.empty() && now - now_ > kMaxBusLag) {
        const auto skipped = now - now_ - kMaxBusLag;
        if (streamStart_) *streamStart_ += skipped;
        lastPacket_ += skipped;
    }
    while (!pending.empty()) {
        const Time packetAt = NextPacket(pending);
        const auto due = FirstDeadline(pending);
        const Time deadline = (*due)->deadline;
        if (std::min(packetAt, deadline) > now) break;
        if (deadline < packetAt) {
            ReceiveUntil(deadline);
            InRequest* request = *due;
            request->status = LIBUSB_TRANSFER_TIMED_OUT;
            pending.erase(due);
            finished.push_back(request);
            continue;
        }
        ReceiveUntil(packetAt);
        SendPacket(packetAt, pending, finished);
    }
    ReceiveUntil(now);
}

void Ft232rChip::SendPacket(Time t, std::deque<InRequest*>& pending,
                            std::vector<InRequest*>& finished) {
    InRequest& request = *pending.front();
    const std::size_t payload = std::min<std::size_t>(fifoSize_, kPacketBytes - kStatusBytes);
    const int size = kStatusBytes + static_cast<int>(payload);
    auto finish = [&](int status) {
        request.status = status;
        pending.pop_front();
        finished.push_back(&request);
    };
    lastPacket_ = t;
    ++counters_.packets;
    if (request.length - request.actual < size) {
        // The host left less room than a packet: babble. The packet has left the chip all
        // the same.
        counters_.purged += payload;
        fifoHead_ = (fifoHead_ + payload) % kFifoBytes;
        fifoSize_ -= payload;
        finish(LIBUSB_TRANSFER_OVERFLOW);
        return;
    }
    std::uint8_t* out = request.buffer + request.actual;
    out[0] = kModemStatus;
    out[1] = kLineStatusIdle | (overrunPending_ ? kLineStatusOverrun : 0);
    if (overrunPending_) ++counters_.overrunFlags;
    overrunPending_ = false;
    for (std::size_t i = 0; i < payload; ++i) {
        out[kStatusBytes + i] = fifo_[fifoHead_];
        fifoHead_ = (fifoHead_ + 1) % kFifoBytes;
    }
    fifoSize_ -= payload;
    request.actual += size;
    counters_.delivered += payload;
    // A short packet ends the transfer, as does a full buffer.
    if (size < kPacketBytes || request.actual == request.length) finish(LIBUSB_TRANSFER_COMPLETED);
}

void Ft232rChip::Purge() {
    counters_.purged += fifoSize_;
    fifoHead_ = fifoSize_ = 0;
}

void Ft232rChip::SetBaud(std::uint16_t value, std::uint16_t index, Time now) {
    settings_.baud = DecodeBaudDivisor(value, index);
    // The capture plays from the moment the program first sets the instrument's line rate, so
    // a test sees it from its first byte.
    if (!streamStart_ && Hearing()) streamStart_ = now;
}

int Ft232rChip::Vendor(const ControlRequest& request, std::uint8_t* data, Time now) {
    ReceiveUntil(now);
    const std::uint16_t value = request.value;
    switch (request.request) {
        case kReset:
            if (value == kResetSio) {
                Purge();
                overrunPending_ = false;
                ++settings_.resets;
            } else if (value == kFlushReceive) {
                Purge();
                ++settings_.rxPurges;
            } else if (value != kFlushTransmit) {
                return LIBUSB_ERROR_PIPE;
            }
            return 0;
        case kModemCtrl:
            if ((value & 0x0100u) != 0) settings_.dtr = (value & 0x01u) != 0;
            if ((value & 0x0200u) != 0) settings_.rts = (value & 0x02u) != 0;
            return 0;
        case kSetFlowCtrl:
            settings_.flow = request.index & 0xFF00u;
            settings_.xon = static_cast<std::uint8_t>(value & 0xFFu);
            settings_.xoff = static_cast<std::uint8_t>(value >> 8);
            return 0;
        case kSetBaudRate:
            SetBaud(value, request.index, now);
            return 0;
        case kSetData:
            settings_.dataBits = value & 0xFF;
            settings_.parity = (value >> 8) & 0x7;
            settings_.stopBits = (value >> 11) & 0x3;
            settings_.breakOn = ((value >> 14) & 1) != 0;
            return 0;
        case kPollModemStatus:
            return Answer(data, request.length, {kModemStatus, kLineStatusIdle});
        case kSetEventChar:
        case kSetErrorChar:
        case kSetBitmode:
            return 0;
        case kSetLatencyTimer:
            settings_.latencyMs = std::max(1, value & 0xFF);
            return 0;
        case kGetLatencyTimer:
            return Answer(data, request.length, {static_cast<std::uint8_t>(settings_.latencyMs)});
        case kReadPins:
            return Answer(data, request.length, {0xFF});
        case kReadEeprom:
            return Answer(data, request.length, {0xFF, 0xFF});
        default:
            return LIBUSB_ERROR_PIPE;
    }
}

void Ft232rChip::PowerOff(Time now) {
    ReceiveUntil(now);
    counters_.unheard += fifoSize_;
    fifoHead_ = fifoSize_ = 0;
    overrunPending_ = false;
    settings_ = LineSettings{};
    powered_ = false;
}

void Ft232rChip::PowerOn(Time now) {
    ReceiveUntil(now);
    powered_ = true;
    lastPacket_ = now;
}

}  // namespace ts::emulated
