#include "station_fixture.h"

namespace ts {
namespace {

using sim::DriverOp;

class FormCloseTest : public StationTest {};

TEST_F(FormCloseTest, ClosesAnOpenHandle) {
    const int wanted = AddWanted();
    st().link().Open(false);
    driver.ResetCallCounts();
    st().FormClose();
    EXPECT_EQ(driver.Calls(DriverOp::Close), 1);
    EXPECT_FALSE(driver.Device(wanted).open);
}

TEST_F(FormCloseTest, CallsNoDriverFunctionWhenNothingWasOpened) {
    AddWanted();
    st().FormClose();
    EXPECT_EQ(driver.TotalCalls(), 0);
}

}  // namespace
}  // namespace ts
