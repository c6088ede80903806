#include "base/texts.h"
#include "station_fixture.h"

namespace ts {
namespace {

using sim::DriverOp;

const std::string kDisableS = R"(devcon.exe disable "@USB\VID_0403&PID_6001\S")";
const std::string kEnableS = R"(devcon.exe enable "@USB\VID_0403&PID_6001\S")";

class LinkSupervisionTest : public StationTest {
protected:
    int device = -1;
    // Right after the tick whose frames showed a wrong instrument: reported, and the silence
    // counted from there.
    void WrongInstrumentJustReported() {
        device = OpenWanted();
        Hear(device, 1);
        Hear(device, 2);
        SilentPolls(1);
        ASSERT_TRUE(st().form().Label_ErrDeviceNum.Visible);
        ASSERT_FALSE(st().form().M_Menu_Mode_Demo.Enabled);
    }
};

TEST_F(LinkSupervisionTest, TenSilentTicksAreAGapElevenALostLink) {
    WrongInstrumentJustReported();
    SilentPolls(9);
    EXPECT_TRUE(st().link().DataReceived());
    EXPECT_EQ(st().link().SilentPolls(), 10);
    SilentPolls(1);
    EXPECT_TRUE(st().link().DataReceived());
    EXPECT_EQ(st().link().SilentPolls(), 11);
    EXPECT_TRUE(st().form().Label_ErrDeviceNum.Visible);

    SilentPolls(1);
    EXPECT_FALSE(st().link().DataReceived());
    EXPECT_FALSE(st().form().Label_ErrDeviceNum.Visible);
    EXPECT_TRUE(st().form().M_Menu_Mode_Demo.Enabled);
    EXPECT_EQ(st().link().SilentPolls(), 11);

    // While the silence lasts the same is done on every tick.
    st().form().Label_ErrDeviceNum.Visible = true;
    st().form().M_Menu_Mode_Demo.Enabled = false;
    SilentPolls(1);
    EXPECT_FALSE(st().form().Label_ErrDeviceNum.Visible);
    EXPECT_TRUE(st().form().M_Menu_Mode_Demo.Enabled);
    EXPECT_EQ(st().link().SilentPolls(), 11);

    // The silence re-armed the report: the next wrong frame is shown again.
    st().form().Label_ErrDeviceNum.Visible = false;
    Hear(device, 2);
    EXPECT_TRUE(st().form().Label_ErrDeviceNum.Visible);
}

TEST_F(LinkSupervisionTest, ALinkThatIsUpIsLeftAlone) {
    // Frames of a wrong instrument count as data too.
    Hear(OpenWanted(), 3);
    driver.ResetCallCounts();
    st().TimerPortTimer();
    // Ended tool processes are collected every second, link up or not.
    EXPECT_EQ(platform.reaps, 1);
    EXPECT_TRUE(platform.startedProcesses.empty());
    EXPECT_TRUE(platform.sleeps.empty());
    EXPECT_EQ(driver.TotalCalls(), 0);
    EXPECT_EQ(st().link().InstrumentNumber(), 3);
}

// Platform that keeps starts and sleeps in one log, to see their order.
class OrderPlatform final : public Platform {
public:
    std::vector<std::string> log;
    bool StartProcess(std::string_view commandLine) override {
        log.emplace_back(commandLine);
        return false;
    }
    void SleepMs(int ms) override { log.push_back("sleep " + std::to_string(ms)); }
    void ReapFinishedProcesses() override { log.push_back("reap"); }
    LocalDateTime Now() override { return {}; }
    const RegionalSettings& Regional() override { return regional_; }
    std::string CurrentDirectory() override { return "."; }
    std::int64_t SteadyMilliseconds() override { return 0; }
    DataSync& Sync() override { return sync_; }
    KeepAwake& Awake() override { return awake_; }

private:
    RegionalSettings regional_;
    std::int64_t clock_ = 0;
    sim::TestDataSync sync_{clock_};
    sim::TestKeepAwake awake_;
};

TEST_F(LinkSupervisionTest, ALostLinkIsReenumeratedWithTheExactCommandLines) {
    OrderPlatform order;
    Station station(driver, order, ui);
    station.link().SetIdentity(station.link().Description(), "S");
    station.link().AwaitStream();
    station.TimerPortTimer();
    EXPECT_EQ(order.log, (std::vector<std::string>{"reap", kDisableS, "sleep 1000", kEnableS}));
    EXPECT_EQ(station.link().InstrumentNumber(), -1);
}

TEST_F(LinkSupervisionTest, AfterReenumerationTheDeviceIsReopenedSilentlyEverySecond) {
    const int wanted = AddWanted("KSL214.8N", "S");
    st().link().Open(false);
    const FtHandle old = st().link().Handle();
    st().link().AwaitStream();
    driver.Unplug(wanted);
    driver.ResetCallCounts();

    st().TimerPortTimer();
    EXPECT_EQ(platform.startedProcesses, (std::vector<std::string>{kDisableS, kEnableS}));
    EXPECT_EQ(platform.sleeps, std::vector<int>{1000});
    // The old connection stays open until the next open closes it.
    EXPECT_EQ(driver.Calls(DriverOp::Close), 0);
    EXPECT_EQ(driver.DeviceOfHandle(old), wanted);

    for (int second = 0; second < 3; ++second) st().TimerPortTimer();
    EXPECT_EQ(driver.Calls(DriverOp::CreateDeviceInfoList), 3);
    EXPECT_EQ(driver.Calls(DriverOp::Close), 1);
    EXPECT_EQ(st().link().Handle(), 0u);
    EXPECT_EQ(platform.startedProcesses.size(), 2u);
    EXPECT_TRUE(ui.boxes.empty());

    driver.Plug(wanted);
    st().TimerPortTimer();
    EXPECT_EQ(driver.DeviceOfHandle(st().link().Handle()), wanted);
    EXPECT_EQ(st().link().InstrumentNumber(), -1);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(LinkSupervisionTest, AMissingToolGoesUnnoticed) {
    platform.processStartSucceeds = false;
    st().link().SetIdentity(st().link().Description(), "S");
    st().link().AwaitStream();
    st().TimerPortTimer();
    EXPECT_EQ(platform.startedProcesses.size(), 2u);
    EXPECT_EQ(st().link().InstrumentNumber(), -1);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(LinkSupervisionTest, ASerialThatCouldAddArgumentsOrPatternsIsNeverStarted) {
    for (const std::string& serial :
         std::vector<std::string>{"A\" /c x \"", "TS*", "TS?1", "TS\n1", "TS\t1", "TS\x7F"}) {
        SCOPED_TRACE(serial);
        st().link().SetIdentity(st().link().Description(), serial);
        st().link().AwaitStream();
        st().TimerPortTimer();
        EXPECT_TRUE(platform.startedProcesses.empty());
        EXPECT_TRUE(platform.sleeps.empty());
        EXPECT_EQ(st().link().InstrumentNumber(), -1);
    }
    // The cycle goes on: reopening from the next tick.
    driver.ResetCallCounts();
    st().TimerPortTimer();
    EXPECT_EQ(driver.Calls(DriverOp::CreateDeviceInfoList), 1);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(LinkSupervisionTest, OrdinarySerialsAreStartedAsTheyAre) {
    for (const std::string& serial : std::vector<std::string>{"", "A B", "FT\\1", "\xD0\x96-7&x"}) {
        SCOPED_TRACE(serial);
        platform.startedProcesses.clear();
        st().link().SetIdentity(st().link().Description(), serial);
        st().link().AwaitStream();
        st().TimerPortTimer();
        EXPECT_EQ(platform.startedProcesses,
                  (std::vector<std::string>{
                      "devcon.exe disable \"@USB\\VID_0403&PID_6001\\" + serial + "\"",
                      "devcon.exe enable \"@USB\\VID_0403&PID_6001\\" + serial + "\""}));
    }
}

}  // namespace
}  // namespace ts
