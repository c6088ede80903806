#include "device/libftdi/tty_in_use.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fake_system_tree.h"

namespace ts {
namespace {

TEST(UsbSysfsNameTest, JoinsBusAndPortChain) {
    const std::uint8_t chain[] = {1, 4, 12};
    EXPECT_EQ(UsbSysfsName(1, chain), "1-1.4.12");
    const std::uint8_t single[] = {2};
    EXPECT_EQ(UsbSysfsName(3, single), "3-2");
}

TEST(UsbDeviceTtysTest, FindsPortsOnEveryInterfaceOfTheDeviceOnly) {
    FakeTree tree;
    tree.AddUsbDir("1-2/1-2:1.0/ttyUSB0");
    tree.AddUsbDir("1-2/1-2:1.1/ttyUSB1");
    tree.AddUsbDir("1-2/1-2:1.0/driver");
    // A device behind a hub on port 1-2 appears inside the hub's folder; its port is not ours.
    tree.AddUsbDir("1-2/1-2.3/1-2.3:1.0/ttyUSB2");

    std::vector<std::string> ttys = UsbDeviceTtys(tree.Usb(), "1-2");
    std::sort(ttys.begin(), ttys.end());
    EXPECT_EQ(ttys, (std::vector<std::string>{"ttyUSB0", "ttyUSB1"}));
    EXPECT_TRUE(UsbDeviceTtys(tree.Usb(), "1-7").empty());
}

TEST(UsbDeviceTtyInUseTest, InUseOnlyWhenAProcessHoldsTheDevicesPort) {
    FakeTree tree;
    tree.AddUsbDir("1-1.4/1-1.4:1.0/ttyUSB1");
    tree.AddUsbDir("1-1.5/1-1.5:1.0");
    tree.AddOpenFile("self", "3", "/dev/ttyUSB1");  // not a process folder
    tree.AddOpenFile("100", "0", "/dev/pts/0");
    tree.AddOpenFile("100", "4", "/dev/ttyUSB10");  // another port sharing the prefix
    tree.AddOpenFile("200", "1", "/dev/ttyUSB");
    EXPECT_FALSE(UsbDeviceTtyInUse(tree.Usb(), tree.Proc(), "1-1.4"));

    tree.AddOpenFile("300", "7", "/dev/ttyUSB1");
    EXPECT_TRUE(UsbDeviceTtyInUse(tree.Usb(), tree.Proc(), "1-1.4"));
    // No kernel port means nobody can be using the device through it.
    EXPECT_FALSE(UsbDeviceTtyInUse(tree.Usb(), tree.Proc(), "1-1.5"));
}

TEST(UsbDeviceTtyInUseTest, UnreadableProcessListCountsAsInUse) {
    FakeTree tree;
    tree.AddUsbDir("2-3/2-3:1.0/ttyUSB0");
    tree.AddUsbDir("2-4/2-4:1.0");
    tree.RemoveProc();
    EXPECT_TRUE(UsbDeviceTtyInUse(tree.Usb(), tree.Proc(), "2-3"));
    EXPECT_FALSE(UsbDeviceTtyInUse(tree.Usb(), tree.Proc(), "2-4"));
}

TEST(AnyHeldOpenTest, MatchesAnyOfSeveralPaths) {
    FakeTree tree;
    tree.AddOpenFile("42", "9", "/dev/ttyUSB3");
    EXPECT_TRUE(AnyHeldOpen(tree.Proc(), {"/dev/ttyUSB0", "/dev/ttyUSB3"}));
    EXPECT_FALSE(AnyHeldOpen(tree.Proc(), {"/dev/ttyUSB0"}));
}

}  // namespace
}  // namespace ts
