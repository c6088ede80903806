#include <filesystem>
#include <fstream>

#include "base/texts.h"
#include "station_fixture.h"

namespace ts {
namespace {

using sim::DriverOp;

class DeviceMenuTest : public StationTest {
protected:
    const MenuItemState& Item(int k) const {
        return station->form().M_Menu_Setting_Connection[k - 1];
    }

    void ExpectHidden(int k) const {
        SCOPED_TRACE(k);
        EXPECT_FALSE(Item(k).Visible);
        EXPECT_EQ(Item(k).Caption, "");
        EXPECT_FALSE(Item(k).Checked);
        EXPECT_FALSE(Item(k).Enabled);
    }

    std::vector<std::string> SettingsLines() const {
        std::ifstream in(folder / "Settings.bin", std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

TEST_F(DeviceMenuTest, TheDeviceInUseIsCheckedAndLeftAloneTheOthersProbed) {
    const int inUse = AddWanted("KSL214.8N", "TS000001");
    const int other = driver.AddDevice("KSL214.8N", "TS000002");
    st().link().Open(false);
    const FtHandle handle = st().link().Handle();
    driver.ResetCallCounts();

    st().M_Menu_Setting_PortClick();

    EXPECT_EQ(Item(1).Caption, "KSL214.8N   TS000001");
    EXPECT_TRUE(Item(1).Visible);
    EXPECT_TRUE(Item(1).Checked);
    EXPECT_FALSE(Item(1).Enabled);
    EXPECT_EQ(Item(2).Caption, "KSL214.8N   TS000002");
    EXPECT_TRUE(Item(2).Visible);
    EXPECT_FALSE(Item(2).Checked);
    EXPECT_TRUE(Item(2).Enabled);
    for (int k = 3; k <= 8; ++k) ExpectHidden(k);

    // Only the free device was opened, and closed again.
    EXPECT_EQ(driver.Calls(DriverOp::Open), 1);
    EXPECT_EQ(driver.Calls(DriverOp::Close), 1);
    EXPECT_EQ(st().link().Handle(), handle);
    EXPECT_EQ(driver.DeviceOfHandle(handle), inUse);
    EXPECT_FALSE(driver.Device(other).open);
    EXPECT_EQ(st().link().InstrumentNumber(), 0);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DeviceMenuTest, OnlyTheFirstEightOfTenDevicesGetItems) {
    for (int i = 0; i < 10; ++i)
        driver.AddDevice("Dev" + std::to_string(i), "S" + std::to_string(i));
    st().M_Menu_Setting_PortClick();
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(Item(k).Caption, "Dev" + std::to_string(k - 1) + "   S" + std::to_string(k - 1));
        EXPECT_TRUE(Item(k).Visible && Item(k).Enabled);
    }
    EXPECT_EQ(driver.Calls(DriverOp::Open), 8);
    EXPECT_EQ(driver.Calls(DriverOp::Close), 8);
}

TEST_F(DeviceMenuTest, BusyOrUnreadableDevicesAndNoOpenDevice) {
    // Nothing open: the stored device is a free device like any other.
    AddWanted("KSL214.8N", "TS000001");
    const int busy = driver.AddDevice("KSL214.8N", "TS000002");
    driver.Device(busy).inUseElsewhere = true;
    const int unreadable = driver.AddDevice("Hidden", "H");
    driver.Device(unreadable).detailsReadable = false;
    driver.AddDevice("Last", "L");

    st().M_Menu_Setting_PortClick();
    EXPECT_TRUE(Item(1).Visible && Item(1).Enabled && !Item(1).Checked);
    EXPECT_TRUE(Item(2).Visible);
    EXPECT_FALSE(Item(2).Enabled);
    EXPECT_EQ(Item(2).Caption, "KSL214.8N   TS000002");
    ExpectHidden(3);
    // Items keep the device's position in the list.
    EXPECT_EQ(Item(4).Caption, "Last   L");
    EXPECT_TRUE(Item(4).Visible && Item(4).Enabled);
}

TEST_F(DeviceMenuTest, NoDeviceShowsTheMessageAndLeavesTheDeviceNumber) {
    st().M_Menu_Setting_PortClick();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, sim::TestUi::BoxKind::Plain);
    EXPECT_EQ(ui.boxes[0].text, text::kMsgNoDevices);
    for (int k = 1; k <= 8; ++k) ExpectHidden(k);
    EXPECT_EQ(st().link().InstrumentNumber(), -1);

    // A failing list: an empty menu without a message.
    ui.ClearLog();
    driver.AddDevice("A", "1");
    driver.FailNext(DriverOp::CreateDeviceInfoList);
    st().M_Menu_Setting_PortClick();
    EXPECT_TRUE(ui.boxes.empty());
    ExpectHidden(1);
    EXPECT_EQ(st().link().InstrumentNumber(), -1);
}

TEST_F(DeviceMenuTest, ReopeningTheMenuForgetsDevicesThatWentAway) {
    driver.AddDevice("A", "1");
    const int b = driver.AddDevice("B", "2");
    const int c = driver.AddDevice("C", "3");
    st().M_Menu_Setting_PortClick();
    EXPECT_TRUE(Item(3).Visible);
    driver.Unplug(b);
    driver.Unplug(c);
    st().M_Menu_Setting_PortClick();
    EXPECT_EQ(Item(1).Caption, "A   1");
    ExpectHidden(2);
    ExpectHidden(3);
}

TEST_F(DeviceMenuTest, ChoosingADeviceOpensItStoresItsIdentityAndSaves) {
    const int first = AddWanted("KSL214.8N", "TS000001");
    const int second = driver.AddDevice("KSL214.8N", "TS000002");
    st().link().Open(false);
    st().M_Menu_Setting_PortClick();
    Hear(first, 5);
    ASSERT_EQ(st().link().InstrumentNumber(), 5);

    st().M_Menu_Setting_ConnectionClick(2);

    EXPECT_EQ(st().link().Serial(), "TS000002");
    EXPECT_EQ(driver.DeviceOfHandle(st().link().Handle()), second);
    EXPECT_EQ(st().link().InstrumentNumber(), 0);
    EXPECT_TRUE(ui.boxes.empty());
    const auto lines = SettingsLines();
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(lines[0], "KSL214.8N\r");
    EXPECT_EQ(lines[1], "TS000002\r");
}

TEST_F(DeviceMenuTest, AChoiceThatCannotBeOpenedIsReportedAndKeptAllTheSame) {
    driver.AddDevice("A", "1");
    const int busy = driver.AddDevice("B", "2");
    st().M_Menu_Setting_PortClick();
    driver.Device(busy).inUseElsewhere = true;

    st().M_Menu_Setting_ConnectionClick(2);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{std::string(text::kMsgOpenFailed)});
    EXPECT_EQ(st().link().Handle(), 0u);
    EXPECT_EQ(st().link().Serial(), "2");
    EXPECT_EQ(SettingsLines()[1], "2\r");
}

TEST_F(DeviceMenuTest, AChoiceAfterTheListShrankDoesNothingButResetTheDeviceNumber) {
    const int a = AddWanted("A", "1");
    const int b = driver.AddDevice("B", "2");
    st().link().Open(false);
    st().M_Menu_Setting_PortClick();
    driver.Unplug(b);
    Hear(a, 3);
    ASSERT_EQ(st().link().InstrumentNumber(), 3);
    driver.ResetCallCounts();

    st().M_Menu_Setting_ConnectionClick(2);
    EXPECT_EQ(st().link().InstrumentNumber(), 0);
    EXPECT_EQ(st().link().Serial(), "1");
    EXPECT_EQ(driver.Calls(DriverOp::Open), 0);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(folder / "Settings.bin"));

    // Unreadable details of the chosen entry: the same.
    driver.Plug(b);
    driver.FailNext(DriverOp::GetDeviceInfoDetail);
    st().M_Menu_Setting_ConnectionClick(2);
    EXPECT_EQ(st().link().Serial(), "1");
    EXPECT_EQ(driver.Calls(DriverOp::Open), 0);
}

}  // namespace
}  // namespace ts
