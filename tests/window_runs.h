#pragma once

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "app/station.h"
#include "app/texts.h"
#include "file_text.h"
#include "sim/sim_driver.h"
#include "sim/sim_instrument.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"
#include "temp_folder.h"

namespace ts {

// Runs of the window one after another on one data folder, each its own station and Ui, with the
// one bridge and its instrument streaming throughout: what a restart after a cut meets.
class WindowRuns {
public:
    static constexpr double kTick = 0.04;

    TempFolder folder;
    sim::SimDriver driver;
    sim::TestPlatform platform;
    std::unique_ptr<sim::SimInstrument> instrument;

    struct Run {
        sim::TestUi ui;
        Station station;
        Run(sim::SimDriver& d, sim::TestPlatform& p) : station(d, p, ui) {}
    };
    std::unique_ptr<Run> run;

    // The first run starts without settings and leaves them, naming the instrument and identity
    // tables, so that the later ones start without a box.
    WindowRuns() {
        platform.currentDirectory = folder.path();
        platform.regional.LongTimeFormat = "%T";
        const int device = driver.AddDevice("KSL214.8N", "TS000001");
        instrument = std::make_unique<sim::SimInstrument>(driver, device);
        Start();
        st().link.DeviceDescription = "KSL214.8N";
        st().link.DeviceSerial = "TS000001";
        WriteAll(Path("table.txt"), "0 0\r\n1023 1023\r\n");
        st().TablePath.fill(Path("table.txt"));
        for (int c = 1; c <= kChannels; ++c) st().LoadTable(c);
        st().SaveSettings();
        st().OpenDevice(false);
    }

    Station& st() { return run->station; }
    std::string Path(const std::string& name) const { return folder / name; }
    std::string NotePath() const { return folder / std::string(text::kWindowResumeNote); }

    void Start() {
        run = std::make_unique<Run>(driver, platform);
        st().Construct();
    }

    void Tick(double seconds) {
        for (long i = 0; i < std::lround(seconds / kTick); ++i) {
            instrument->Advance(kTick);
            st().Timer_25HzTimer();
        }
    }

    // Starts recording `choice` (window order) of `channels` into `name`, as the user would.
    void RecordInto(const std::string& name, int choice, std::initializer_list<int> channels) {
        st().form.SelectRecordChoice(choice);
        for (int c : channels) st().form.FileEN_CH[static_cast<std::size_t>(c - 1)].Checked = true;
        run->ui.resultFileAnswers.push_back(Path(name));
        st().B_FileClick();
        st().B_FileSaveStartClick();
    }

    // The run of the window records `choice` of `channels` into `name` for `seconds` after half a
    // second of the instrument, and is killed. On Linux the run is a process of its own ended by
    // SIGKILL: what it had handed to the system is all there is, nothing is flushed, synced or
    // closed for it. This process's instrument then sends what it sent to the killed run, so
    // that onFrameSent sees every sample; `atStart` runs where the recording started. (On
    // Windows the run stays in this process and ends as Kill does.)
    void RecordAndKill(const std::string& name, int choice, std::initializer_list<int> channels,
                       double seconds, const std::function<void()>& atStart = {}) {
#ifndef _WIN32
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            Tick(0.5);
            RecordInto(name, choice, channels);
            Tick(seconds);
            if (::write(ready[1], "r", 1) != 1) ::_exit(1);
            for (;;) ::pause();  // recording, between two ticks, when the kill comes
        }
        char byte = 0;
        ::close(ready[1]);
        EXPECT_EQ(::read(ready[0], &byte, 1), 1) << "the run to be killed did not record";
        ::close(ready[0]);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        for (long i = 0; i < std::lround(0.5 / kTick); ++i) instrument->Advance(kTick);
        if (atStart) atStart();
        for (long i = 0; i < std::lround(seconds / kTick); ++i) instrument->Advance(kTick);
#else
        Tick(0.5);
        RecordInto(name, choice, channels);
        if (atStart) atStart();
        Tick(seconds);
#endif
        // On Linux this process's copy of the run never recorded: it only lets the bridge go.
        Kill();
    }

    // The process ends without a word: what reached the file stays, the bridge is let go.
    void Kill() {
        driver.Close(st().link.DeviceHandle);
        st().link.DeviceHandle = 0;
        run.reset();
    }
};

}  // namespace ts
