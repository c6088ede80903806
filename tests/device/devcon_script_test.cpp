#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/command_line.h"
#include "file_text.h"
#include "station_fixture.h"
#include "temp_folder.h"

namespace ts {
namespace {

const std::string kScript = std::string(TS_SOURCE_DIR) + "/tools/devcon.exe";
const std::string kInstance = R"(@USB\VID_0403&PID_6001\)";

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// A sysfs tree of USB devices in a temporary folder, and the script run
// against it.
class DevconScriptTest : public ::testing::Test {
protected:
    TempFolder root;

    std::string Device(const std::string& name) const { return root / ("bus/usb/devices/" + name); }

    void AddDevice(const std::string& name, const std::string& vendor, const std::string& product,
                   const std::string* serial, int bus = 1, int number = 4) {
        const std::string dir = Device(name);
        std::filesystem::create_directories(dir);
        std::ofstream(dir + "/idVendor") << vendor << "\n";
        std::ofstream(dir + "/idProduct") << product << "\n";
        if (serial != nullptr) std::ofstream(dir + "/serial") << *serial << "\n";
        std::ofstream(dir + "/authorized") << "1\n";
        std::ofstream(dir + "/busnum") << bus << "\n";
        std::ofstream(dir + "/devnum") << number << "\n";
        // The interface below it has no ids.
        std::filesystem::create_directories(Device(name + ":1.0"));
    }
    void AddBridge(const std::string& name, const std::string& serial, int bus = 1,
                   int number = 4) {
        AddDevice(name, "0403", "6001", &serial, bus, number);
    }
    std::string Authorized(const std::string& name) const {
        return ReadAll(Device(name) + "/authorized");
    }

    // Runs the script with these arguments; stderr is kept in `errors`.
    int Run(const std::vector<std::string>& args, const std::string& extraPath = "") {
        std::string command = "TS_SYSFS_ROOT=" + Quoted(root.path()) + " PATH=" +
                              Quoted((extraPath.empty() ? "" : extraPath + ":") + "/usr/bin:/bin") +
                              " sh " + Quoted(kScript);
        for (const std::string& arg : args) command += " " + Quoted(arg);
        command += " 2>" + Quoted(root / "stderr");
        const int status = std::system(command.c_str());
        errors = ReadAll(root / "stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string errors;
};

TEST_F(DevconScriptTest, DisablesAndEnablesOnlyTheDeviceWithThatSerial) {
    AddBridge("1-1.4", "TS000001");
    AddBridge("1-1.5", "TS000002");
    const std::string sameSerial = "TS000001";
    AddDevice("1-2", "0403", "6010", &sameSerial);  // another product
    AddDevice("2-1", "1d6b", "0002", nullptr);      // a hub without serial

    EXPECT_EQ(Run({"disable", kInstance + "TS000001"}), 0);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(Authorized("1-1.4"), "0\n");
    EXPECT_EQ(Authorized("1-1.5"), "1\n");
    EXPECT_EQ(Authorized("1-2"), "1\n");
    EXPECT_EQ(Authorized("2-1"), "1\n");

    EXPECT_EQ(Run({"enable", kInstance + "TS000001"}), 0);
    EXPECT_EQ(Authorized("1-1.4"), "1\n");
}

TEST_F(DevconScriptTest, TakesTheCommandLinesThatTheProgramStarts) {
    AddBridge("1-1.4", "A B&1");
    for (const auto& [verb, expected] : {std::pair{"disable", "0\n"}, std::pair{"enable", "1\n"}}) {
        const std::vector<std::string> args = SplitCommandLine(
            std::string("devcon.exe ") + verb + " \"@USB\\VID_0403&PID_6001\\A B&1\"");
        ASSERT_EQ(args.size(), 3u);
        EXPECT_EQ(Run({args[1], args[2]}), 0) << errors;
        EXPECT_EQ(Authorized("1-1.4"), expected);
    }
}

TEST_F(DevconScriptTest, ComparesTheSerialLiterallyAndFindsNothingForAnEmptyOne) {
    AddBridge("1-1.4", "TS000001");
    AddBridge("1-1.6", "TS*");
    AddDevice("1-1.7", "0403", "6001", nullptr);  // a bridge without a serial

    for (const char* serial : {"TS00000", "TS0000011", "ts000001", "TS?00001", "[T]S000001"}) {
        SCOPED_TRACE(serial);
        EXPECT_NE(Run({"disable", kInstance + serial}), 0);
        EXPECT_NE(errors.find("no USB device"), std::string::npos) << errors;
    }
    EXPECT_EQ(Authorized("1-1.4"), "1\n");

    // "*" is a character of this serial, not a pattern.
    EXPECT_EQ(Run({"disable", kInstance + "TS*"}), 0);
    EXPECT_EQ(Authorized("1-1.6"), "0\n");
    EXPECT_EQ(Authorized("1-1.4"), "1\n");

    EXPECT_NE(Run({"disable", kInstance}), 0);
    EXPECT_NE(errors, "");
    EXPECT_EQ(Authorized("1-1.7"), "1\n");
}

TEST_F(DevconScriptTest, RefusesAnythingButOneVerbAndOneInstance) {
    AddBridge("1-1.4", "S");
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"disable"},
        {"disable", kInstance + "S", kInstance + "S"},
        {"remove", kInstance + "S"},
        {"disable", "USB\\VID_0403&PID_6001\\S"},
        {"disable", "@USB\\VID_0403&PID_6001"},
        {"disable", "@USB\\VID_04G3&PID_6001\\S"},
        {"disable", "=ports"},
    };
    for (const auto& args : wrong) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_NE(Run(args), 0);
        EXPECT_NE(errors, "");
    }
    EXPECT_EQ(Authorized("1-1.4"), "1\n");
}

TEST_F(DevconScriptTest, WithoutWriteAccessItResetsThePortOrSaysWhy) {
    AddBridge("3-2", "S", 3, 7);
    // An attribute that cannot be written, even by root.
    std::filesystem::remove(Device("3-2") + "/authorized");
    std::filesystem::create_directory(Device("3-2") + "/authorized");

    EXPECT_NE(Run({"disable", kInstance + "S"}), 0);
    EXPECT_NE(errors.find("no permission"), std::string::npos) << errors;

    // With the reset tool at hand, the device is reset through its node.
    TempFolder bin;
    std::ofstream(bin / "usbreset") << "#!/bin/sh\necho \"$@\" >> " << Quoted(bin / "log") << "\n";
    std::filesystem::permissions(bin / "usbreset", std::filesystem::perms::owner_all);
    EXPECT_EQ(Run({"disable", kInstance + "S"}, bin.path()), 0) << errors;
    EXPECT_EQ(ReadAll(bin / "log"), "003/007\n");

    // Enabling cannot be faked: the attribute does not read 1.
    EXPECT_NE(Run({"enable", kInstance + "S"}, bin.path()), 0);
    EXPECT_NE(errors.find("no permission"), std::string::npos) << errors;

    // A reset tool that fails is reported.
    std::ofstream(bin / "usbreset") << "#!/bin/sh\nexit 1\n";
    EXPECT_NE(Run({"disable", kInstance + "S"}, bin.path()), 0);
    EXPECT_NE(errors, "");
}

}  // namespace
}  // namespace ts
