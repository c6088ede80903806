// Arbitrary bytes, cut into arbitrary reads, must never crash the receiver,
// and must decode and count exactly what the same bytes decode and count in
// one read: a frame split across reads is decoded once, whole.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/station.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"

namespace {

// The bridges live across runs (their receive queues are large); each run
// gets fresh stations that open them anew.
struct Rig {
    ts::sim::SimDriver driver;
    ts::sim::TestPlatform platform;
    ts::sim::TestUi ui;
    std::unique_ptr<ts::Station> station;
    int device = driver.AddDevice("F", "1");

    void Start() {
        station = std::make_unique<ts::Station>(driver, platform, ui);
        station->link().SetIdentity("F", "1");
        station->link().Open(false);
    }
    ~Rig() { Stop(); }
    void Stop() {
        if (station) station->link().Close();
        station.reset();
        ui.ClearLog();
    }
};

bool SameOutcome(const ts::Station& a, const ts::Station& b) {
    const ts::AccumulatorSet& longestA = a.measurement().ChartSums(ts::kChartScales);
    const ts::AccumulatorSet& longestB = b.measurement().ChartSums(ts::kChartScales);
    return a.link().DataReceived() == b.link().DataReceived() &&
           a.link().InstrumentNumber() == b.link().InstrumentNumber() &&
           a.measurement().Elapsed() == b.measurement().Elapsed() &&
           a.measurement().Latest() == b.measurement().Latest() &&
           longestA.Count == longestB.Count && longestA.Sum == longestB.Sum &&
           a.link().Counts() == b.link().Counts();
}

// Every byte is in a frame, skipped, or still waiting for the next read.
bool EveryByteAccountedFor(const ts::Station& st, std::size_t length) {
    const ts::LinkCounts counts = st.link().Counts();
    return counts.framesDecoded * ts::kFrameSize + counts.bytesSkipped + st.link().HeldBytes() ==
               length &&
           counts.framesRejected <= counts.bytesSkipped;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > 60000) return 0;
    // The first byte picks the read sizes; the rest is the line.
    const unsigned pattern = data[0];
    const std::uint8_t* line = data + 1;
    const std::size_t length = size - 1;

    static Rig whole, cut;
    whole.Start();
    cut.Start();
    whole.driver.Feed(whole.device, {line, length});
    whole.station->link().Poll();

    std::size_t done = 0;
    unsigned step = pattern;
    while (done < length) {
        step = step * 1103515245u + 12345u;
        const std::size_t piece = std::min<std::size_t>(length - done, 1 + (step >> 16) % 40);
        cut.driver.Feed(cut.device, {line + done, piece});
        cut.station->link().Poll();
        done += piece;
    }
    cut.station->link().Poll();
    if (!SameOutcome(*whole.station, *cut.station)) __builtin_trap();
    if (!EveryByteAccountedFor(*whole.station, length)) __builtin_trap();
    whole.Stop();
    cut.Stop();
    return 0;
}
