#include "emulated_d2xx/instrument_stream.h"

#include <algorithm>
#include <cstring>

#include "device/line_rate.h"
#include "sim/frame_encoder.h"
#include "sim/sim_driver.h"
#include "sim/sim_instrument.h"

namespace ts::emulated {

namespace {

constexpr std::uint64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr std::size_t kFrameBytes = std::tuple_size_v<sim::Frame>;

}  // namespace

// The simulator's instrument with its default signals; it only lends its samples here, and the
// driver it is tied to is never fed.
struct InstrumentStream::Simulator {
    sim::SimDriver unused;
    sim::SimInstrument instrument{unused, unused.AddDevice("", "")};
};

InstrumentStream InstrumentStream::Capture(std::vector<std::uint8_t> bytes) {
    InstrumentStream stream;
    stream.bytesPerSecond_ = kLineBytesPerSecond;
    stream.capture_ = std::move(bytes);
    return stream;
}

InstrumentStream InstrumentStream::Simulated() {
    InstrumentStream stream;
    stream.simulated_ = std::make_unique<Simulator>();
    stream.bytesPerSecond_ = static_cast<std::uint64_t>(
        stream.simulated_->instrument.samplesPerSecond * static_cast<double>(kFrameBytes));
    return stream;
}

InstrumentStream::InstrumentStream(InstrumentStream&&) noexcept = default;
InstrumentStream& InstrumentStream::operator=(InstrumentStream&&) noexcept = default;
InstrumentStream::~InstrumentStream() = default;

std::uint64_t InstrumentStream::SentBy(std::uint64_t nanoseconds) const {
    // Whole seconds and the rest apart, so that days of streaming cannot overflow.
    const std::uint64_t sent =
        nanoseconds / kNanosecondsPerSecond * bytesPerSecond_ +
        nanoseconds % kNanosecondsPerSecond * bytesPerSecond_ / kNanosecondsPerSecond;
    return Endless() ? sent : std::min<std::uint64_t>(sent, capture_.size());
}

void InstrumentStream::Copy(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
    if (!Endless()) {
        std::memcpy(out, capture_.data() + offset, count);
        return;
    }
    const sim::SimInstrument& instrument = simulated_->instrument;
    while (count > 0) {
        const std::uint64_t index = offset / kFrameBytes;
        const std::size_t from = static_cast<std::size_t>(offset % kFrameBytes);
        const Sample sample = instrument.SampleAt(index);
        const sim::Frame frame =
            sim::EncodeFrame(instrument.instrumentNumber, sample.TimeCounter, sample.Value);
        const std::size_t part = std::min(count, kFrameBytes - from);
        std::memcpy(out, frame.data() + from, part);
        out += part;
        offset += part;
        count -= part;
    }
}

}  // namespace ts::emulated
