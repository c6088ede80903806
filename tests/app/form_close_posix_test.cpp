#include <filesystem>
#include <utility>

#include "base/texts.h"
#include "file_size_limit.h"
#include "station_fixture.h"

namespace ts {
namespace {

class FormCloseOnLinuxTest : public StationTest {};

// The instrument is let go first, then the result file closed, then the settings saved: on a
// full disk the two failures say so in that order, the instrument already released.
TEST_F(FormCloseOnLinuxTest, ReleasesTheInstrumentThenClosesTheResultFileThenSavesTheSettings) {
    const int wanted = AddWanted();
    st().link().Open(false);
    st().form().SelectRecordChoice(9);
    st().form().FileEN_CH[0].Checked = true;
    ui.resultFileAnswers.push_back(folder / "results.txt");
    st().B_FileClick();
    st().B_FileSaveStartClick();
    ASSERT_TRUE(st().recording().Active());
    // A record that has not reached the file yet.
    st().recording().WriteRecord(18000, {});
    std::vector<std::pair<std::string, bool>> boxes;  // text, instrument still open
    ui.whileModal = [&] { boxes.emplace_back(ui.boxes.back().text, driver.Device(wanted).open); };
    {
        FileSizeLimit full(std::filesystem::file_size(folder / "results.txt"));
        st().FormClose();
    }
    EXPECT_EQ(boxes, (std::vector<std::pair<std::string, bool>>{
                         {std::string(text::kMsgResultCloseFailed), false},
                         {std::string(text::kMsgSettingsWriteFailed), false}}));
}

}  // namespace
}  // namespace ts
