#include "app/print_bridges.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/texts.h"
#include "file_text.h"
#include "sim/sim_driver.h"
#include "sim/test_ui.h"
#include "temp_folder.h"

namespace ts {
namespace {

// What PrintBridges prints to its two streams, and its status.
struct Listed {
    int status = -1;
    std::string out, notes;
};

// The two streams are files in a scratch folder, binary, so that what is printed is read back
// byte for byte on every system.
Listed List(sim::SimDriver& driver, sim::TestUi& ui) {
    TempFolder folder;
    std::FILE* out = std::fopen((folder / "out").c_str(), "w+b");
    std::FILE* notes = std::fopen((folder / "notes").c_str(), "w+b");
    Listed listed;
    listed.status = PrintBridges(driver, ui, out, notes);
    std::fclose(out);
    std::fclose(notes);
    listed.out = ReadAll(folder / "out");
    listed.notes = ReadAll(folder / "notes");
    return listed;
}

TEST(PrintBridgesTest, ShowsTheBridgesAsTheDeviceMenuAndTellsWhatItLeavesOut) {
    sim::SimDriver driver;
    driver.AddDevice("KSL214.8N", "TS000001");
    driver.Device(driver.AddDevice("KSL214.8N", "TS000002")).inUseElsewhere = true;
    driver.Device(driver.AddDevice("Hidden", "H")).detailsReadable = false;
    sim::TestUi ui;
    const Listed listed = List(driver, ui);
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out,
              "KSL214.8N   TS000001\n"
              "KSL214.8N   TS000002   (held by another program)\n");
    EXPECT_NE(listed.notes.find("1 more bridge"), std::string::npos) << listed.notes;
    EXPECT_TRUE(ui.boxes.empty());
    // Every probe was closed again.
    EXPECT_EQ(driver.Calls(sim::DriverOp::Open), 2);
    EXPECT_EQ(driver.Calls(sim::DriverOp::Close), 1);

    sim::SimDriver none;
    const Listed empty = List(none, ui);
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{std::string(text::kMsgNoDevices)});

    none.FailNext(sim::DriverOp::CreateDeviceInfoList);
    EXPECT_EQ(List(none, ui).status, 1);
}

}  // namespace
}  // namespace ts
