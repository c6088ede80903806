#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ts::sim {
class SimDriver;
class SimInstrument;
}  // namespace ts::sim

namespace ts::emulated {

// What the instrument behind an emulated bridge sends, as one byte sequence at a steady rate:
// a capture file played once at the line's 115,200 bytes/s, or the simulated instrument's
// frames without end at its own sample rate. Bytes are addressed by their offset from the start,
// so a stretch that nobody receives is skipped without being made.
class InstrumentStream {
public:
    static InstrumentStream Capture(std::vector<std::uint8_t> bytes);
    static InstrumentStream Simulated();

    InstrumentStream(InstrumentStream&&) noexcept;
    InstrumentStream& operator=(InstrumentStream&&) noexcept;
    ~InstrumentStream();

    bool Endless() const { return simulated_ != nullptr; }
    // Bytes the stream holds in all; meaningless when endless.
    std::uint64_t Length() const { return capture_.size(); }
    // Bytes sent `nanoseconds` after the start, the end of a capture included.
    std::uint64_t SentBy(std::uint64_t nanoseconds) const;
    // Copies `count` bytes from `offset` on; they must have been sent.
    void Copy(std::uint64_t offset, std::uint8_t* out, std::size_t count) const;

private:
    struct Simulator;
    InstrumentStream() = default;

    std::uint64_t bytesPerSecond_ = 0;
    std::vector<std::uint8_t> capture_;
    std::unique_ptr<Simulator> simulated_;
};

}  // namespace ts::emulated
