#include <memory>

#include "base/texts.h"
#include "sim/demo_folder.h"
#include "sim/sim_instrument.h"
#include "station_fixture.h"

namespace ts {
namespace {

// The whole program against a simulated instrument in virtual time: the
// 40 ms tick and, every 25th of them, the one-second supervision tick.
class LinkRecoveryTest : public StationTest {
protected:
    int device = -1;
    std::unique_ptr<sim::SimInstrument> instrument;
    int ticks = 0;

    void SetUp() override {
        ASSERT_TRUE(sim::PrepareDemoFolder(folder.path(), '.'));
        device = driver.AddDevice(sim::kSimDescription, sim::kSimSerial);
        instrument = std::make_unique<sim::SimInstrument>(driver, device);
        st().Construct();
        ui.ClearLog();
    }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            instrument->Advance(0.04);
            st().Timer_25HzTimer();
            if (++ticks % 25 == 0) st().TimerPortTimer();
        }
    }
    // Ticks up to just before the next supervision tick.
    void TickUntilSupervisionIsNext() { Tick(24 - ticks % 25); }

    const std::string& Indicator() const {
        return station->form().Label_Connection_Indicator.Caption;
    }
};

TEST_F(LinkRecoveryTest, AnUnpluggedInstrumentIsWaitedForAndTakenBackWithoutARestart) {
    Tick(50);
    ASSERT_TRUE(st().link().DataReceived());
    EXPECT_EQ(Indicator(), text::kConnectionYes);
    EXPECT_EQ(st().link().InstrumentNumber(), 1);

    // Unplugged right after a supervision tick: ten silent ticks are a gap.
    TickUntilSupervisionIsNext();
    Tick(1);
    driver.Unplug(device);
    Tick(10);
    EXPECT_TRUE(st().link().DataReceived());
    Tick(1);
    EXPECT_FALSE(st().link().DataReceived());
    EXPECT_EQ(Indicator(), text::kConnectionNo);
    EXPECT_TRUE(platform.startedProcesses.empty());

    // The next supervision tick re-enumerates the stored serial once...
    TickUntilSupervisionIsNext();
    Tick(1);
    const std::string address = std::string("\"@USB\\VID_0403&PID_6001\\") + sim::kSimSerial + "\"";
    EXPECT_EQ(platform.startedProcesses,
              (std::vector<std::string>{"devcon.exe disable " + address,
                                        "devcon.exe enable " + address}));
    EXPECT_EQ(st().link().InstrumentNumber(), -1);

    // ...and from then on tries to reopen it silently every second.
    driver.ResetCallCounts();
    Tick(75);
    EXPECT_EQ(driver.Calls(sim::DriverOp::CreateDeviceInfoList), 3);
    EXPECT_EQ(platform.startedProcesses.size(), 2u);
    EXPECT_EQ(Indicator(), text::kConnectionNo);
    EXPECT_TRUE(ui.boxes.empty());

    driver.Plug(device);
    const int updatesBefore = ui.seriesUpdates;
    const std::uint64_t elapsedBefore = st().measurement().Elapsed();
    Tick(50);
    EXPECT_TRUE(st().link().DataReceived());
    EXPECT_EQ(Indicator(), text::kConnectionYes);
    EXPECT_EQ(st().link().InstrumentNumber(), 1);
    EXPECT_GT(st().measurement().Elapsed(), elapsedBefore);
    EXPECT_GT(ui.seriesUpdates, updatesBefore);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(platform.startedProcesses.size(), 2u);
}

TEST_F(LinkRecoveryTest, LinkStatisticsCarryOnAcrossSilentReopeningsAndRestartOnAChoice) {
    auto counts = [&] { return st().link().Counts(); };
    sim::SimDevice& bridge = driver.Device(device);
    Tick(50);
    const std::uint64_t decodedBefore = counts().framesDecoded;
    EXPECT_GT(decodedBefore, 0u);

    // Losses of the first handle, shown while it is open.
    bridge.chipOverruns += 3;
    bridge.queueOverflowBytes += 100;
    Tick(5);
    EXPECT_EQ(counts().chipOverruns, 3u);
    EXPECT_EQ(counts().queueOverflowBytes, 100u);

    // Unplugged and back: the dead handle's losses stay, counted once, and the
    // frames go on counting from where they were.
    driver.Unplug(device);
    Tick(75);
    driver.Plug(device);
    Tick(50);
    ASSERT_TRUE(st().link().DataReceived());
    EXPECT_EQ(counts().reopenings, 1u);
    EXPECT_GT(counts().framesDecoded, decodedBefore);
    EXPECT_EQ(counts().chipOverruns, 3u);
    EXPECT_EQ(counts().queueOverflowBytes, 100u);

    // A silence with the handle alive: losses no refresh has seen yet are asked
    // for as the reopening closes it.
    instrument->Pause(3);
    for (int i = 0; i < 100 && st().link().InstrumentNumber() != -1; ++i) Tick();
    ASSERT_EQ(st().link().InstrumentNumber(), -1);
    bridge.chipOverruns += 2;
    st().TimerPortTimer();
    EXPECT_EQ(counts().reopenings, 2u);
    EXPECT_EQ(counts().chipOverruns, 5u);
    EXPECT_EQ(counts().queueOverflowBytes, 100u);
    Tick(100);
    ASSERT_TRUE(st().link().DataReceived());

    // The instrument chosen again from the menu: everything from zero.
    st().M_Menu_Setting_PortClick();
    st().M_Menu_Setting_ConnectionClick(1);
    EXPECT_EQ(counts(), LinkCounts{});
    Tick(5);
    EXPECT_GT(counts().framesDecoded, 0u);
    EXPECT_EQ(counts().reopenings, 0u);
    EXPECT_EQ(counts().chipOverruns, 0u);
}

TEST_F(LinkRecoveryTest, AWrongInstrumentThatKeepsSendingIsNeverReenumerated) {
    instrument->instrumentNumber = 3;
    Tick(200);
    EXPECT_TRUE(st().link().DataReceived());
    EXPECT_EQ(Indicator(), text::kConnectionYes);
    EXPECT_TRUE(platform.startedProcesses.empty());
}

TEST_F(LinkRecoveryTest, AnInstrumentSilentFromTheStartIsReenumeratedAtTheFirstSupervisionTick) {
    driver.Unplug(device);
    Tick(25);
    EXPECT_EQ(platform.startedProcesses.size(), 2u);
    EXPECT_EQ(st().link().InstrumentNumber(), -1);
}

}  // namespace
}  // namespace ts
