#include "station_fixture.h"

#include "base/texts.h"

namespace ts {
namespace {

using sim::DriverOp;

class OpenDeviceTest : public StationTest {};

TEST_F(OpenDeviceTest, OpensAndConfiguresTheWantedDeviceSilentlyOnSuccess) {
    driver.AddDevice("Other", "X1");
    const int wanted = AddWanted();
    st().link().Open(true);

    EXPECT_TRUE(ui.boxes.empty());
    ASSERT_NE(st().link().Handle(), 0u);
    EXPECT_EQ(driver.DeviceOfHandle(st().link().Handle()), wanted);
    const sim::LineConfig& line = driver.Device(wanted).config;
    EXPECT_TRUE(line.reset);
    EXPECT_EQ(line.baud, 1152000u);
    EXPECT_EQ(line.wordLength, 8);
    EXPECT_EQ(line.stopBits, 0);
    EXPECT_EQ(line.parity, 0);
    EXPECT_EQ(line.readTimeout, 0u);
    EXPECT_EQ(line.writeTimeout, 0u);
    EXPECT_EQ(line.flow, 0);
}

TEST_F(OpenDeviceTest, NotFoundOutcomesShowTheSameMessageAndLeaveNoHandle) {
    // No device at all.
    st().link().Open(true);
    // The list call failing.
    AddWanted();
    driver.FailNext(DriverOp::CreateDeviceInfoList);
    st().link().Open(true);
    // Wanted device ninth of nine: only eight entries are looked at.
    sim::SimDriver& d = driver;
    const int first = 0;
    d.Unplug(first);
    for (int i = 0; i < 8; ++i) d.AddDevice("Other", "S" + std::to_string(i));
    d.AddDevice("KSL214.8N", "TS000001");
    st().link().Open(true);
    // Description differing only in letter case.
    st().link().SetIdentity("ksl214.8n", st().link().Serial());
    d.Plug(first);
    st().link().Open(true);

    EXPECT_EQ(ui.Texts(), std::vector<std::string>(4, std::string(text::kMsgDeviceNotFound)));
    EXPECT_EQ(st().link().Handle(), 0u);
    EXPECT_EQ(driver.Calls(DriverOp::Open), 0);
}

TEST_F(OpenDeviceTest, OfTwoEqualIdentitiesTheLaterIsOpened) {
    AddWanted();
    driver.AddDevice("Other", "X");
    const int later = driver.AddDevice("KSL214.8N", "TS000001");
    st().link().Open(true);
    EXPECT_EQ(driver.DeviceOfHandle(st().link().Handle()), later);
}

TEST_F(OpenDeviceTest, UnreadableDetailsAreSkippedNotFatal) {
    const int broken = driver.AddDevice("KSL214.8N", "TS000001");
    driver.Device(broken).detailsReadable = false;
    const int wanted = AddWanted();
    st().link().Open(false);
    EXPECT_EQ(driver.DeviceOfHandle(st().link().Handle()), wanted);
}

TEST_F(OpenDeviceTest, DeviceInUseElsewhereIsNotOpened) {
    const int wanted = AddWanted();
    driver.Device(wanted).inUseElsewhere = true;
    st().link().Open(true);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{std::string(text::kMsgOpenFailed)});
    EXPECT_EQ(st().link().Handle(), 0u);
}

TEST_F(OpenDeviceTest, EachRefusedStepShowsItsMessageKeepsTheHandleAndStops) {
    struct Step {
        DriverOp op;
        std::string_view message;
    };
    const Step steps[] = {
        {DriverOp::ResetDevice, text::kMsgResetFailed},
        {DriverOp::SetBaudRate, text::kMsgBaudFailed},
        {DriverOp::SetDataCharacteristics, text::kMsgDataFormatFailed},
        {DriverOp::SetTimeouts, text::kMsgTimeoutsFailed},
        {DriverOp::SetFlowControl, text::kMsgFlowFailed},
    };
    const DriverOp order[] = {DriverOp::ResetDevice, DriverOp::SetBaudRate,
                              DriverOp::SetDataCharacteristics, DriverOp::SetTimeouts,
                              DriverOp::SetFlowControl};
    const int wanted = AddWanted();
    for (std::size_t s = 0; s < std::size(steps); ++s) {
        SCOPED_TRACE(steps[s].message);
        ui.ClearLog();
        driver.ResetCallCounts();
        driver.FailNext(steps[s].op);
        st().link().Open(true);

        EXPECT_EQ(ui.Texts(), std::vector<std::string>{std::string(steps[s].message)});
        EXPECT_NE(st().link().Handle(), 0u);
        EXPECT_EQ(driver.DeviceOfHandle(st().link().Handle()), wanted);
        for (std::size_t later = s + 1; later < std::size(order); ++later) {
            EXPECT_EQ(driver.Calls(order[later]), 0) << "a step after the refused one ran";
        }
        // The failing step was attempted exactly once: nothing is retried.
        EXPECT_EQ(driver.Calls(steps[s].op), 1);
    }
}

TEST_F(OpenDeviceTest, EveryOutcomeIsSilentWithoutMessages) {
    st().link().Open(false);  // no devices
    const int wanted = AddWanted();
    driver.FailNext(DriverOp::CreateDeviceInfoList);
    st().link().Open(false);
    driver.Device(wanted).inUseElsewhere = true;
    st().link().Open(false);
    driver.Device(wanted).inUseElsewhere = false;
    for (DriverOp op :
         {DriverOp::ResetDevice, DriverOp::SetBaudRate, DriverOp::SetDataCharacteristics,
          DriverOp::SetTimeouts, DriverOp::SetFlowControl}) {
        driver.FailNext(op);
        st().link().Open(false);
        EXPECT_NE(st().link().Handle(), 0u);
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(OpenDeviceTest, ReopeningClosesTheHandleHeldSoFar) {
    const int wanted = AddWanted();
    st().link().Open(false);
    const FtHandle first = st().link().Handle();
    st().link().Open(false);
    EXPECT_EQ(driver.Calls(DriverOp::Close), 1);
    EXPECT_EQ(driver.DeviceOfHandle(first), -1);
    EXPECT_EQ(driver.DeviceOfHandle(st().link().Handle()), wanted);
    // A failed reopen leaves no handle behind.
    driver.Unplug(wanted);
    st().link().Open(false);
    EXPECT_EQ(st().link().Handle(), 0u);
}

}  // namespace
}  // namespace ts
