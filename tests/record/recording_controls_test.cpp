#include "base/texts.h"
#include "recording_fixture.h"

namespace ts {
namespace {

constexpr int kOneSecond = 9;
constexpr std::uint64_t kUnitsPerSecond = 18000;

class RecordingControlsTest : public RecordingTest {
protected:
    Form& form() { return st().form(); }

    void Refresh() { st().recording().RefreshControls(); }

    std::string FittedCaption(const std::string& path) {
        st().recording().SetResultFileName(path);
        st().recording().FitFileNameLabel();
        EXPECT_TRUE(form().Label_ResultFileName.Visible);
        return form().Label_ResultFileName.Caption;
    }

    // Caption of the record time label `seconds` into the recording started by
    // StartForTheClock, in the regional long time format `format`.
    std::string RecordTimeAfter(std::uint64_t seconds, const char* format) {
        platform.regional.LongTimeFormat = format;
        stamp = RunOn(stamp, start + seconds * kUnitsPerSecond - st().measurement().Elapsed());
        st().recording().ShowRecordTime();
        const std::string caption = form().Label_FileRecordTime.Caption;
        const std::string prefix(text::kRecordTimeActivePrefix);
        EXPECT_EQ(caption.substr(0, prefix.size()), prefix);
        return caption.substr(prefix.size());
    }

    // A recording started at a time that is not zero; the chart shows no scale, so that long
    // runs of time draw nothing.
    void StartForTheClock() {
        st().form().RadioGroup_X = -1;
        Take(0, {});
        Take(777, {});
        StartIn(kRecordChoiceAll, {1});
        start = st().measurement().Elapsed();
    }
    std::uint64_t start = 0;
};

TEST_F(RecordingControlsTest, FileAndStartButtonsFollowChoiceChannelsAndFile) {
    Refresh();
    EXPECT_FALSE(form().B_File.Enabled);
    EXPECT_FALSE(form().B_FileSaveStart.Enabled);

    form().SelectRecordChoice(kOneSecond);
    Refresh();
    EXPECT_FALSE(form().B_File.Enabled);  // no channel yet
    form().FileEN_CH[0].Checked = true;
    Refresh();
    EXPECT_TRUE(form().B_File.Enabled);
    EXPECT_FALSE(form().B_FileSaveStart.Enabled);

    Choose(PathOf("result.txt"));
    Refresh();
    EXPECT_TRUE(form().B_FileSaveStart.Enabled);

    // Every channel unticked: both off, the file stays open and empty.
    form().FileEN_CH[0].Checked = false;
    Refresh();
    EXPECT_FALSE(form().B_File.Enabled);
    EXPECT_FALSE(form().B_FileSaveStart.Enabled);
    EXPECT_TRUE(HeldOpen(PathOf("result.txt")));
    EXPECT_EQ(ReadAll(PathOf("result.txt")), "");
}

TEST_F(RecordingControlsTest, AveragingBoxAndThresholdFollowTheChoice) {
    for (int choice : {kRecordChoiceAll, kRecordChoiceOnChange}) {
        form().CheckBox_FileDataAver.Checked = true;
        form().SelectRecordChoice(choice);
        Refresh();
        EXPECT_FALSE(form().CheckBox_FileDataAver.Checked);
        EXPECT_FALSE(form().CheckBox_FileDataAver.Enabled);
        const bool onChange = choice == kRecordChoiceOnChange;
        EXPECT_EQ(form().ComboBox_FileOnChangeThresh.Enabled, onChange);
        EXPECT_EQ(form().Label_FileOnChangeSens.Enabled, onChange);
    }
    form().SelectRecordChoice(kOneSecond);
    Refresh();
    EXPECT_TRUE(form().CheckBox_FileDataAver.Enabled);
    EXPECT_FALSE(form().CheckBox_FileDataAver.Checked);
    EXPECT_FALSE(form().ComboBox_FileOnChangeThresh.Enabled);
}

TEST_F(RecordingControlsTest, RecordingLocksTheSettingsAndStopUnlocksThem) {
    form().CheckBox_FileDataAver.Checked = true;
    StartIn(kOneSecond, {2});
    Refresh();
    EXPECT_TRUE(st().recording().Active());
    EXPECT_FALSE(form().B_File.Enabled);
    EXPECT_FALSE(form().B_FileSaveStart.Enabled);
    EXPECT_TRUE(form().B_FileSaveStop.Enabled);
    EXPECT_FALSE(form().CheckBox_FileDataAver.Enabled);
    EXPECT_TRUE(form().CheckBox_FileDataAver.Checked);
    for (int i = 0; i < kRecordChoices; ++i) EXPECT_FALSE(form().RadioB_File[i].Enabled) << i;
    for (int c = 0; c < kChannels; ++c) {
        EXPECT_FALSE(form().FileEN_CH[c].Enabled) << c;
        EXPECT_FALSE(form().B_ListF_CH[c].Enabled) << c;
    }
    EXPECT_EQ(form().Label_FileRecordTime.FontColor, kColorGreen);

    st().B_FileSaveStopClick();
    Refresh();
    EXPECT_FALSE(st().recording().Active());
    EXPECT_TRUE(st().recording().ResultFileName().empty());
    EXPECT_EQ(form().Label_ResultFileName.Caption, text::kResultFileNone);
    EXPECT_EQ(form().Label_FileRecordTime.Caption, text::kRecordTimeIdle);
    EXPECT_EQ(form().Label_FileRecordTime.FontColor, kColorRed);
    EXPECT_TRUE(form().B_File.Enabled);
    EXPECT_FALSE(form().B_FileSaveStart.Enabled);  // until a file is chosen again
    EXPECT_FALSE(form().B_FileSaveStop.Enabled);
    EXPECT_TRUE(form().CheckBox_FileDataAver.Enabled);
    for (int i = 0; i < kRecordChoices; ++i) EXPECT_TRUE(form().RadioB_File[i].Enabled) << i;
    for (int c = 0; c < kChannels; ++c) {
        EXPECT_TRUE(form().FileEN_CH[c].Enabled) << c;
        EXPECT_TRUE(form().B_ListF_CH[c].Enabled) << c;
    }
    EXPECT_FALSE(HeldOpen(PathOf("result.txt")));
    EXPECT_TRUE(ui.boxes.empty());

    // Choosing the same file again empties it.
    Choose(PathOf("result.txt"));
    EXPECT_EQ(ReadAll(PathOf("result.txt")), "");
}

TEST_F(RecordingControlsTest, ChoosingAnExistingFileEmptiesItAndCancellingChangesNothing) {
    std::ofstream(PathOf("old.txt")) << "earlier results\r\n";
    // Narrow letters: the whole path fits, however deep the system's temporary folder lies.
    ui.pixelsPerCharacter = 1;
    Choose(PathOf("old.txt"));
    EXPECT_EQ(ReadAll(PathOf("old.txt")), "");
    EXPECT_EQ(form().Label_ResultFileName.Caption, "Файл: " + PathOf("old.txt"));

    st().B_FileClick();  // dialog cancelled
    EXPECT_EQ(st().recording().ResultFileName(), PathOf("old.txt"));
    EXPECT_TRUE(HeldOpen(PathOf("old.txt")));
    EXPECT_EQ(ui.resultDialogs, 2);
}

TEST_F(RecordingControlsTest, ChoosingAnotherFileClosesTheEarlierOne) {
    Choose(PathOf("first.txt"));
    Choose(PathOf("second.txt"));
    EXPECT_FALSE(HeldOpen(PathOf("first.txt")));
    EXPECT_TRUE(HeldOpen(PathOf("second.txt")));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RecordingControlsTest, WindowCloseWhileRecordingLeavesNoStopLine) {
    SetLatest({5, 0, 0, 0, 0, 0});
    StartIn(kRecordChoiceAll, {1});
    st().recording().WriteRecord(3, {6, 0, 0, 0, 0, 0});
    st().FormClose();
    EXPECT_FALSE(HeldOpen(PathOf("result.txt")));
    EXPECT_EQ(FileLines(), (std::vector<std::string>{Cp1251Of("06.12.2026 17:05:03 ЗАПИСЬ НАЧАТА"),
                                                     Cp1251Of("ВРЕМЯ CH1"), "0,0000000000 5,000",
                                                     "0,0000000019 6,000"}));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RecordingControlsTest, RecordTimeInTheRegionalLongTimeFormat) {
    // "%T" is what glibc's ru_RU gives; with the 12-hour "%r" no time is a midnight and twelve
    // hours are a noon.
    StartForTheClock();
    EXPECT_EQ(RecordTimeAfter(0, "%-H:%M:%S"), "0.0:00:00");
    EXPECT_EQ(RecordTimeAfter(0, "%r"), "0.12:00:00 AM");
    EXPECT_EQ(RecordTimeAfter(3723, "%-H:%M:%S"), "0.1:02:03");
    EXPECT_EQ(RecordTimeAfter(3723, "%T"), "0.01:02:03");
    EXPECT_EQ(RecordTimeAfter(12 * 3600, "%-H:%M:%S"), "0.12:00:00");
    EXPECT_EQ(RecordTimeAfter(12 * 3600, "%r"), "0.12:00:00 PM");
    EXPECT_EQ(RecordTimeAfter(25 * 3600 + 5, "%-H:%M:%S"), "1.1:00:05");
    EXPECT_EQ(RecordTimeAfter(36 * 3600, "%-H:%M:%S"), "1.12:00:00");
    EXPECT_EQ(form().Label_FileRecordTime.FontColor, kColorGreen);
    EXPECT_EQ(RecordTimeAfter(36 * 3600 + 1, "%r"), "1.12:00:01 PM");
}

TEST_F(RecordingControlsTest, AShortPathIsShownWhole) {
    EXPECT_EQ(FittedCaption("/tmp/r.txt"), "Файл: /tmp/r.txt");
    // 50 letters fit; Cyrillic ones count as one letter each.
    std::string name = "/";
    for (int i = 0; i < 43; ++i) name += "ж";
    EXPECT_EQ(FittedCaption(name), "Файл: " + name);
}

TEST_F(RecordingControlsTest, ALongPathKeepsItsStartAndTheFileName) {
    EXPECT_EQ(FittedCaption("/home/operator/Measurements/2026/December/series-12.txt"),
              " Файл: /ho .../series-12.txt");
    // Still too long: cut letter by letter and followed by three dots.
    const std::string name = "Серия с очень длинным описательным названием номер 12.txt";
    const std::string caption = FittedCaption("/home/operator/" + name);
    EXPECT_EQ(caption, " Файл: /ho .../Серия с очень длинным описательн...");
}

TEST_F(RecordingControlsTest, ALongNameInTheRootFolderIsTheBarePathCut) {
    const std::string name(60, 'n');
    EXPECT_EQ(FittedCaption("/" + name), "/" + name.substr(0, 46) + "...");
}

}  // namespace
}  // namespace ts
