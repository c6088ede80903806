#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>

#include "app/station.h"
#include "closed_points.h"
#include "sim/frame_encoder.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"
#include "temp_folder.h"

namespace ts {

// A station wired to a virtual bridge, a test platform and a recording Ui,
// working in a fresh folder of its own so that no test sees another's
// Settings.bin.
class StationTest : public ::testing::Test {
protected:
    TempFolder folder;
    sim::SimDriver driver;
    sim::TestPlatform platform;
    sim::TestUi ui;
    std::unique_ptr<Station> station = std::make_unique<Station>(driver, platform, ui);

    StationTest() {
        platform.currentDirectory = folder.path();
        station->settings().SetDirectory(folder.path());
    }

    Station& st() { return *station; }

    // Adds a device and makes it the wanted instrument.
    int AddWanted(const std::string& description = "KSL214.8N",
                  const std::string& serial = "TS000001") {
        st().link().SetIdentity(description, serial);
        return driver.AddDevice(description, serial);
    }
    // Adds the wanted instrument's device and opens it.
    int OpenWanted() {
        const int device = AddWanted();
        st().link().Open(false);
        return device;
    }
    // The link hears one frame of `instrument` from `device` on its next poll.
    void Hear(int device, int instrument) {
        driver.Feed(device, sim::EncodeFrame(instrument, 0, {}));
        st().link().Poll();
    }
    // `n` polls that brought no frame.
    void SilentPolls(int n) {
        for (int i = 0; i < n; ++i) st().link().WatchSilence();
    }
    // Time runs on by `units` after a sample stamped `stamp`, in samples as far apart as the
    // stamps allow; returns the stamp of the last one.
    std::uint16_t RunOn(std::uint16_t stamp, std::uint64_t units) {
        while (units > 0) {
            const std::uint64_t step = std::min<std::uint64_t>(units, 65535);
            stamp = static_cast<std::uint16_t>(stamp + step);
            st().measurement().TakeSample(Sample{stamp, {}});
            units -= step;
        }
        return stamp;
    }
    // Samples stamped `counter`, the stamp of the sample before (or the first): each goes into
    // every sum, and no period ends.
    void SamplesAt(std::uint16_t counter, std::initializer_list<SampleCodes> samples) {
        for (const SampleCodes& values : samples) st().measurement().TakeSample({counter, values});
    }
};

}  // namespace ts
