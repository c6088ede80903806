// Receiver throughput as multiples of what the line can carry: 1,152,000 baud
// at 10 bit times a byte is 115,200 bytes/s, 8,228.6 frames/s.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "allocation_counter.h"
#include "app/station.h"
#include "device/frame_check.h"
#include "device/line_rate.h"
#include "sim/frame_encoder.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"

namespace ts {
namespace {

// Frames per stream turn: with 2 time units per frame the stamps wrap exactly
// once per turn, so the replayed stream runs on without a jump in time.
constexpr int kStreamFrames = 32768;
constexpr std::uint16_t kUnitsPerFrame = 2;

// Frames of instrument 1 with changing values; optionally a noise byte after
// every tenth frame and a broken checksum on every hundredth.
struct Stream {
    std::vector<std::uint8_t> bytes;
    int validFrames = 0;
};

Stream MakeStream(bool noisy) {
    Stream stream;
    std::vector<std::uint8_t>& out = stream.bytes;
    out.reserve(kStreamFrames * 15);
    for (int i = 0; i < kStreamFrames; ++i) {
        std::array<std::uint16_t, kChannels> values;
        for (int c = 0; c < kChannels; ++c) {
            values[c] = static_cast<std::uint16_t>((i * (c + 3) + 97 * c) % 1024);
        }
        sim::Frame f = sim::EncodeFrame(1, static_cast<std::uint16_t>(i * kUnitsPerFrame), values);
        if (noisy && i % 100 == 99) {
            f[13] ^= 0x01;
        } else {
            ++stream.validFrames;
        }
        out.insert(out.end(), f.begin(), f.end());
        if (noisy && i % 10 == 9) out.push_back(static_cast<std::uint8_t>(0x80 | i));
    }
    return stream;
}

// A bridge whose queue always holds a full buffer's worth of the stream, so
// every poll decodes 65,536 bytes and nothing but the station is measured.
class LoopingStreamDriver final : public Driver {
public:
    explicit LoopingStreamDriver(std::vector<std::uint8_t> stream) : stream_(std::move(stream)) {}
    std::uint64_t delivered = 0;

    // One device, "B" with serial "1".
    FtStatus CreateDeviceInfoList(std::uint32_t& count) override {
        count = 1;
        return kFtOk;
    }
    FtStatus GetDeviceInfoDetail(std::uint32_t, char (&serial)[kSerialBufferSize],
                                 char (&description)[kDescriptionBufferSize]) override {
        std::strcpy(serial, "1");
        std::strcpy(description, "B");
        return kFtOk;
    }
    FtStatus Open(std::uint32_t, FtHandle& handle) override {
        handle = 1;
        return kFtOk;
    }
    FtStatus Close(FtHandle) override { return kFtOk; }
    FtStatus ResetDevice(FtHandle) override { return kFtOk; }
    FtStatus SetBaudRate(FtHandle, std::uint32_t) override { return kFtOk; }
    FtStatus SetDataCharacteristics(FtHandle, std::uint8_t, std::uint8_t, std::uint8_t) override {
        return kFtOk;
    }
    FtStatus SetTimeouts(FtHandle, std::uint32_t, std::uint32_t) override { return kFtOk; }
    FtStatus SetFlowControl(FtHandle, std::uint16_t, std::uint8_t, std::uint8_t) override {
        return kFtOk;
    }
    FtStatus GetStatus(FtHandle, std::uint32_t& rxBytes) override {
        rxBytes = kReceiveBufferSize;
        return kFtOk;
    }
    FtStatus Read(FtHandle, std::uint8_t* buffer, std::uint32_t toRead,
                  std::uint32_t& bytesRead) override {
        std::uint32_t done = 0;
        while (done < toRead) {
            const std::size_t n = std::min<std::size_t>(toRead - done, stream_.size() - next_);
            std::memcpy(buffer + done, stream_.data() + next_, n);
            done += static_cast<std::uint32_t>(n);
            next_ = (next_ + n) % stream_.size();
        }
        bytesRead = done;
        delivered += done;
        return kFtOk;
    }

private:
    std::vector<std::uint8_t> stream_;
    std::size_t next_ = 0;
};

void ReportRates(benchmark::State& state, std::uint64_t bytes, std::uint64_t frames,
                 std::uint64_t allocations) {
    state.counters["x_line_rate"] = benchmark::Counter(
        static_cast<double>(bytes) / kLineBytesPerSecond, benchmark::Counter::kIsRate);
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["allocs_per_frame"] =
        static_cast<double>(allocations) / static_cast<double>(std::max<std::uint64_t>(frames, 1));
}

// Scanning, checking and assembling samples, nothing after.
void BM_DecodeOnly(benchmark::State& state) {
    const std::vector<std::uint8_t> stream = MakeStream(false).bytes;
    const std::size_t length = kReceiveBufferSize;
    std::uint64_t frames = 0, bytes = 0;
    const std::uint64_t allocationsBefore = bench::AllocationCount();
    for (auto _ : state) {
        std::size_t p = 0;
        while (true) {
            p = FindFrame(stream.data(), length, p);
            if (p + kFrameSize > length) break;
            Sample s = FrameSample(stream.data() + p);
            benchmark::DoNotOptimize(s);
            ++frames;
            p += kFrameSize;
        }
        bytes += length;
    }
    ReportRates(state, bytes, frames, bench::AllocationCount() - allocationsBefore);
}
BENCHMARK(BM_DecodeOnly);

// The whole road of a frame in the program: the poll reads a full buffer,
// decodes it, and every sample goes through ProcessSample with all 42 sets
// stepped and their period ends dispatched.
void PollThroughPipeline(benchmark::State& state, bool noisy, bool recordAll = false) {
    Stream stream = MakeStream(noisy);
    const double framesPerByte =
        static_cast<double>(stream.validFrames) / static_cast<double>(stream.bytes.size());
    LoopingStreamDriver driver(std::move(stream.bytes));
    sim::TestPlatform platform;
    sim::TestUi ui;
    Station station(driver, platform, ui);
    station.link().SetIdentity("B", "1");
    station.link().Open(false);
    station.form().SelectRecordChoice(1);  // the 0.002 s period, not recording
    if (recordAll) {
        // Every sample written as a line, all six channels, to a file that
        // costs nothing to keep.
        station.form().SelectRecordChoice(kRecordChoiceAll);
        for (CheckState& box : station.form().FileEN_CH) box.Checked = true;
        station.recording().OpenResultFile("/dev/null", true);
        station.B_FileSaveStartClick();
    }

    // One poll first: labels and logs take their storage once, at the start.
    station.link().Poll();
    ui.ClearLog();
    const std::uint64_t deliveredBefore = driver.delivered;
    const std::uint64_t allocationsBefore = bench::AllocationCount();
    for (auto _ : state) {
        station.link().Poll();
        station.recording().FlushRecords();
        ui.ClearLog();  // the test Ui logs every chart call; the program keeps nothing
    }
    const std::uint64_t allocations = bench::AllocationCount() - allocationsBefore;
    const std::uint64_t delivered = driver.delivered - deliveredBefore;
    const auto frames = static_cast<std::uint64_t>(static_cast<double>(delivered) * framesPerByte);
    ReportRates(state, delivered, frames, allocations);
}

void BM_DecodeAndPipeline(benchmark::State& state) { PollThroughPipeline(state, false); }
BENCHMARK(BM_DecodeAndPipeline);

// One noise byte after every tenth frame and one broken frame in a hundred:
// the one-byte resynchronisation at work.
void BM_NoisyDecodeAndPipeline(benchmark::State& state) { PollThroughPipeline(state, true); }
BENCHMARK(BM_NoisyDecodeAndPipeline);

// The heaviest load: the same while recording every sample ("Всё").
void BM_DecodePipelineAndRecordAll(benchmark::State& state) {
    PollThroughPipeline(state, false, true);
}
BENCHMARK(BM_DecodePipelineAndRecordAll);

}  // namespace
}  // namespace ts
