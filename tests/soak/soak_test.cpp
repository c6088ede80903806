// Days of instrument time in seconds of test time: the simulated instrument
// streams at a low sample rate through noise, corrupt frames, cut reads,
// silences, an unplug and a wrong instrument, while the station records every
// second. TS_SOAK_HOURS sets the instrument time (default 70 hours).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "allocation_meter.h"
#include "app/station.h"
#include "device/line_rate.h"
#include "file_text.h"
#include "measure/pipeline_probe.h"
#include "settings_text.h"
#include "sim/sim_driver.h"
#include "sim/sim_instrument.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"
#include "temp_folder.h"
#include "window_runs.h"

namespace ts {
namespace {

constexpr double kTick = 0.04;
constexpr int kTicksPerSupervision = 25;
constexpr int kRecordChoice1s = 9;

double SoakHours() {
    const char* text = std::getenv("TS_SOAK_HOURS");
    const double hours = text ? std::atof(text) : 70.0;
    return hours > 0.5 ? hours : 0.5;
}

std::string Settings(const TempFolder& folder) {
    std::ofstream(folder / "table.txt", std::ios::binary) << "0 0\r\n1023 100\r\n";
    std::vector<std::pair<int, std::string>> lines = {{0, "KSL214.8N"}, {1, "TS000001"}};
    for (int line = 3; line < 15; ++line) lines.emplace_back(line, "1");  // all drawn and recorded
    for (int line = 24; line < 30; ++line) lines.emplace_back(line, folder / "table.txt");
    lines.emplace_back(30 + kRecordChoice1s, "1");
    lines.emplace_back(50, "1");  // period averages on
    return SettingsText(lines);
}

// Watches the pipeline: samples that entered it and period ends of each scale.
struct Counter : PipelineProbe {
    std::uint64_t samples = 0;
    std::array<std::uint64_t, kChartScales> chartEnds{};
    void SampleEntering(const Sample&) override { ++samples; }
    void ChartPeriodEnding(int scale) override { ++chartEnds[static_cast<std::size_t>(scale - 1)]; }
};

// Whether `text` writes `value` with `decimals` decimals after a point, rounded to the nearest
// last digit: the result file's format by its own rule, not by the code that writes it.
bool Shows(std::string_view text, int decimals, long double value) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos ||
        text.size() - point - 1 != static_cast<std::size_t>(decimals))
        return false;
    const std::string digits(text);
    char* end = nullptr;
    const long double shown = std::strtold(digits.c_str(), &end);
    const long double halfDigit = 0.5L * std::pow(10.0L, -decimals);
    return end == digits.c_str() + digits.size() &&
           std::fabs(shown - value) <= halfDigit * 1.000001L;
}

// Record times are days of the instrument's time units of 0.000055555556 s, 18,000 a second.
long double Days(std::uint64_t timeUnits) { return timeUnits * 0.000055555556L / 86400; }

// Period ends a scale owes after ElapsedCount went from 0 to `elapsed`.
std::uint64_t EndsOwed(std::uint64_t elapsed, std::uint64_t period) {
    return elapsed == 0 ? 0 : (elapsed - 1) / period;
}

std::vector<std::string> RecordTimes(const std::string& path) {
    const std::vector<std::string> lines = Lines(ReadAll(path));
    std::vector<std::string> times;
    // Past the start and header lines, short of the stop line.
    for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
        times.push_back(lines[i].substr(0, lines[i].find(' ')));
    }
    return times;
}

// The station in a folder of its own with a simulated instrument attached,
// started the way the window starts it.
struct SoakRig {
    TempFolder folder;
    sim::SimDriver driver;
    const int device = driver.AddDevice("KSL214.8N", "TS000001");
    sim::TestPlatform platform;
    sim::TestUi ui;
    sim::SimInstrument instrument{driver, device};
    std::unique_ptr<Station> station = std::make_unique<Station>(driver, platform, ui);

    // `settings` makes the Settings.bin text for the folder.
    template <typename MakeSettings>
    explicit SoakRig(MakeSettings settings) {
        platform.currentDirectory = folder.path();
        std::ofstream(folder / "Settings.bin", std::ios::binary) << settings(folder);
    }
    // Builds the window's start and chooses the result file `name`.
    void Start(const std::string& name) {
        station->Construct();
        ASSERT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
        ui.resultFileAnswers.push_back(folder / name);
        station->B_FileClick();
    }
};

TEST(SoakTest, DaysOfStreamingThroughFaultsLoseNothingAndAllocateNothing) {
    const double hours = SoakHours();
    const std::uint64_t ticks = static_cast<std::uint64_t>(hours * 3600 / kTick);
    auto at = [&](double share) { return static_cast<std::uint64_t>(share * ticks); };

    SoakRig rig(Settings);
    auto& [folder, driver, device, platform, ui, instrument, station] = rig;
    instrument.samplesPerSecond = 20;
    instrument.timeUnitsPerSample = 900;
    instrument.noiseBytesPerSecond = 5;
    instrument.corruptFramesPerSecond = 1;
    std::uint64_t instrumentOneFramesSent = 0, wrongFramesSent = 0;
    instrument.onFrameSent = [&](int number, const Sample&) {
        ++(number == 1 ? instrumentOneFramesSent : wrongFramesSent);
    };

    Station& st = *station;
    Counter counter;
    st.measurement().Attach(&counter);
    rig.Start("result.txt");

    // Faults, each at its share of the run.
    const std::uint64_t unplugAt = at(0.10), replugAt = unplugAt + 125;  // 5 s unplugged
    const std::uint64_t wrongAt = at(0.30), wrongEnd = wrongAt + 250;    // 10 s of instrument 2
    const std::uint64_t cutFrom = at(0.40), cutTo = at(0.45);            // reads cut mid-frame
    const std::uint64_t pauses[] = {at(0.20), at(0.50), at(0.52)};       // silences
    const std::uint64_t quietFrom = at(0.55), quietTo = at(0.95);        // nothing happens
    const std::uint64_t warmedUp = at(0.01);

    std::uint64_t elapsedBeforeReset = 0;
    soak::AllocationCounts warm{}, quietStart{}, quietEnd{};
    int silences = 0;
    for (std::uint64_t tick = 1; tick <= ticks; ++tick) {
        if (tick == unplugAt) driver.Unplug(device);
        if (tick == replugAt) driver.Plug(device);
        if (tick == wrongAt) {
            elapsedBeforeReset = st.measurement().Elapsed();
            instrument.instrumentNumber = 2;
        }
        if (tick == wrongEnd) instrument.instrumentNumber = 1;
        if (tick == cutFrom) driver.SetMaxReadChunk(13);
        if (tick == cutTo) driver.SetMaxReadChunk(0xFFFFFFFF);
        for (std::uint64_t pause : pauses) {
            if (tick == pause) {
                instrument.Pause(silences == 0 ? 2.5 : 5.0);
                ++silences;
            }
        }
        if (tick == warmedUp) warm = soak::Allocations();
        if (tick == quietFrom) quietStart = soak::Allocations();
        if (tick == quietTo) quietEnd = soak::Allocations();

        instrument.Advance(kTick);
        st.Timer_25HzTimer();
        ui.ClearLog();  // the test Ui's own log is not the program's memory
        if (tick % kTicksPerSupervision == 0) st.TimerPortTimer();
        if (tick == 2) st.B_FileSaveStartClick();
    }
    const soak::AllocationCounts end = soak::Allocations();
    st.B_FileSaveStopClick();
    st.measurement().Attach(nullptr);

    // Not one valid frame of the instrument lost, through every fault.
    EXPECT_EQ(counter.samples, instrumentOneFramesSent);
    EXPECT_GT(wrongFramesSent, 0u);
    // The link statistics counted them all, across every silent reopening.
    EXPECT_EQ(st.link().Counts().framesDecoded, instrumentOneFramesSent + wrongFramesSent);
    EXPECT_GT(st.link().Counts().reopenings, 0u);
    // One frame a second is sent corrupt on purpose; silences send nothing.
    EXPECT_GT(instrumentOneFramesSent, static_cast<std::uint64_t>(hours * 3600 * 19 * 0.99));

    // Every ring stepped once for each period that ended, before and after the
    // wrong instrument's reset.
    for (int k = 0; k < kChartScales; ++k) {
        EXPECT_EQ(
            counter.chartEnds[static_cast<std::size_t>(k)],
            EndsOwed(elapsedBeforeReset, kChartPeriods[static_cast<std::size_t>(k)]) +
                EndsOwed(st.measurement().Elapsed(), kChartPeriods[static_cast<std::size_t>(k)]))
            << "scale " << k + 1;
    }

    // Record times: exact multiples of the second, one after the other; the
    // reset starts them again from the first second.
    const std::vector<std::string> times = RecordTimes(folder / "result.txt");
    ASSERT_GT(times.size(), static_cast<std::size_t>(hours * 3600 * 0.9));
    std::uint64_t k = 0;
    int restarts = 0;
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (Shows(times[i], 10, Days((k + (i ? 1 : 0)) * 18000))) {
            k += i ? 1 : 0;
            continue;
        }
        ASSERT_EQ(times[i], "0.0000115741") << "record " << i << " after " << times[i - 1];
        k = 1;
        ++restarts;
    }
    EXPECT_EQ(restarts, 1);

    // Memory: nothing at all allocated over the quiet hours (streaming,
    // recording, drawing, refreshing), nothing held more at their end, and
    // after warm-up no more held than the faults' rare events leave (the
    // re-enumeration command lines the test platform keeps, the simulated
    // bridge's handle list).
    EXPECT_EQ(quietEnd.allocations - quietStart.allocations, 0u);
    EXPECT_EQ(quietEnd.bytesHeld, quietStart.bytesHeld);
    EXPECT_LT(end.bytesHeld - warm.bytesHeld, 128 * 1024);

    RecordProperty("instrument_hours", std::to_string(hours));
    RecordProperty("frames", std::to_string(instrumentOneFramesSent + wrongFramesSent));
    std::printf(
        "soak: %.0f h of instrument time, %llu valid frames, %zu records, %d silences, "
        "1 unplug, 1 wrong-instrument episode, %llu allocations after warm-up, "
        "%lld bytes held more than after warm-up\n",
        hours, static_cast<unsigned long long>(instrumentOneFramesSent), times.size(), silences,
        static_cast<unsigned long long>(end.allocations - warm.allocations),
        static_cast<long long>(end.bytesHeld - warm.bytesHeld));
}

}  // namespace
}  // namespace ts

namespace ts {
namespace {

TEST(SoakTest, AMinuteAtTheLineRateInAllModeKeepsEverySampleInOrder) {
    SoakRig rig([](const TempFolder& folder) {
        std::string settings = Settings(folder);
        // "Всё" instead of the one-second period, averages off.
        const std::string oneSecond = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n1\r\n";
        settings.replace(settings.find(oneSecond), oneSecond.size(),
                         "1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
        settings.replace(settings.size() - 3, 3, "0\r\n");
        return settings;
    });
    auto& [folder, driver, device, platform, ui, instrument, station] = rig;
    // 14-byte frames back to back at the line rate, two time units apart.
    instrument.samplesPerSecond = kLineBytesPerSecond / 14.0;
    instrument.timeUnitsPerSample = 2;
    std::vector<Sample> sent;
    instrument.onFrameSent = [&](int, const Sample& s) { sent.push_back(s); };

    Station& st = *station;
    rig.Start("all.txt");
    // Recording from the first tick: the record at time 0 is the latest
    // sample before the start, none of whose predecessors is recorded.
    const double seconds = 66;  // a little over a minute of instrument time
    for (int tick = 1; tick <= static_cast<int>(seconds / kTick); ++tick) {
        instrument.Advance(kTick);
        if (tick == 1) {
            st.Timer_25HzTimer();
            st.B_FileSaveStartClick();
            continue;
        }
        st.Timer_25HzTimer();
        ui.ClearLog();
    }
    st.B_FileSaveStopClick();

    const std::vector<std::string> lines = Lines(ReadAll(folder / "all.txt"));
    ASSERT_GT(lines.size(), 4u);
    const std::vector<std::string_view> records(lines.begin() + 2, lines.end() - 1);

    // The first poll's last sample is the record at time 0; from there on,
    // every sample sent is a record, in order, two time units after the last.
    const std::size_t firstPoll = sent.size() - (records.size() - 1);
    ASSERT_GE(sent.size(), records.size());
    EXPECT_GT(records.size(), 60u * 8228u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Sample& s = sent[firstPoll - 1 + i];
        // Time, then the six channels through the table from 0 at code 0 to 100 at code 1023.
        std::vector<std::string_view> fields;
        for (std::size_t start = 0, end = 0; end != std::string_view::npos; start = end + 1) {
            end = records[i].find(' ', start);
            fields.push_back(records[i].substr(start, end - start));
        }
        ASSERT_EQ(fields.size(), 7u) << "record " << i;
        ASSERT_TRUE(Shows(fields[0], 10, Days(2 * i))) << "record " << i << ": " << records[i];
        for (std::size_t c = 0; c < kChannels; ++c) {
            ASSERT_TRUE(Shows(fields[c + 1], 3, s.Value[c] * 100.0L / 1023))
                << "record " << i << ": " << records[i];
        }
    }
    std::printf("soak: %zu samples at the line rate, every one recorded in order\n",
                records.size());
}

// An hour of the instrument's time in "Всё" with a kill half-way and a restart of the window at
// once: the cut file and the resumed one together hold every sample the instrument sent from the
// start of the recording to its stop, in order and at their times, but for those of the ticks
// around the kill.
TEST(SoakTest, AnHourWithAKillHalfWayLosesOnlyTheTicksAroundIt) {
    constexpr double kSamplesPerSecond = 200;
    constexpr std::uint64_t kUnitsPerSample = 90;
    WindowRuns runs;
    runs.instrument->samplesPerSecond = kSamplesPerSecond;
    runs.instrument->timeUnitsPerSample = kUnitsPerSample;
    std::vector<std::uint16_t> sent;  // channel 1 of every sample, in the order sent
    sent.reserve(static_cast<std::size_t>(3700 * kSamplesPerSecond));
    runs.instrument->onFrameSent = [&](int, const Sample& s) { sent.push_back(s.Value[0]); };

    // Each file's first record is the sample latest at its start; the rest follow it one by one.
    std::size_t firstOfCut = 0;
    runs.RecordAndKill("hour.txt", kRecordChoiceAll, {1}, 1800,
                       [&] { firstOfCut = sent.size() - 1; });
    runs.instrument->Advance(WindowRuns::kTick);  // the tick in which nothing runs
    runs.Start();
    std::size_t firstOfResumed = 0;
    for (int tick = 0; tick < 45'000; ++tick) {
        runs.Tick(WindowRuns::kTick);
        if (firstOfResumed == 0 && runs.st().recording().Active()) {
            firstOfResumed = sent.size() - 1;
        }
    }
    ASSERT_NE(firstOfResumed, 0u) << "the recording did not go on";
    runs.st().B_FileSaveStopClick();

    // Each file's records against the samples sent from its first on; the index of its last.
    auto check = [&](const std::string& name, std::size_t first) -> std::size_t {
        const std::vector<std::string> lines = Lines(ReadAll(runs.Path(name)));
        EXPECT_GT(lines.size(), 3u);
        // A resumed part names its recording in the line after the header.
        // The cut part ends with its interruption and the name of the part it goes on in.
        const bool cut = name == "hour.txt";
        const std::vector<std::string_view> records(lines.begin() + (cut ? 2 : 3),
                                                    lines.end() - (cut ? 2 : 1));
        for (std::size_t k = 0; k < records.size(); ++k) {
            const std::size_t blank = records[k].find(' ');
            const std::string_view time = records[k].substr(0, blank);
            const std::string_view value = records[k].substr(blank + 1);
            if (!Shows(time, 10, Days(kUnitsPerSample * k)) || first + k >= sent.size() ||
                !Shows(value, 3, sent[first + k])) {
                ADD_FAILURE() << name << ", record " << k << ": " << records[k];
                return 0;
            }
        }
        return first + records.size() - 1;
    };
    const std::size_t lastOfCut = check("hour.txt", firstOfCut);
    const std::size_t lastOfResumed = check("hour (2).txt", firstOfResumed);
    EXPECT_EQ(lastOfResumed, sent.size() - 1);
    // Lost: what the instrument sent in the tick the program was gone and in the restart's first.
    const std::size_t lost = firstOfResumed - lastOfCut - 1;
    EXPECT_LE(lost, static_cast<std::size_t>(2 * WindowRuns::kTick * kSamplesPerSecond + 1));
    std::printf("soak: %zu samples in an hour, %zu lost around the kill\n",
                sent.size() - firstOfCut, lost);
}

}  // namespace
}  // namespace ts
