#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/texts.h"
#include "settings_file_rig.h"
#include "sim/demo_folder.h"

namespace ts {
namespace {

LineList Split(std::string_view text) {
    LineList lines;
    for (std::size_t start = 0, end = 0; end != std::string_view::npos; start = end + 1) {
        end = text.find('|', start);
        lines.emplace_back(text.substr(start, end - start));
    }
    return lines;
}

TEST_F(SettingsFileTest, NoFileShowsTheOpenMessageAndWritesTheDefaults) {
    st().settings().Load();

    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes[0].kind, TestUi::BoxKind::Plain);
    EXPECT_EQ(ui.boxes[0].text, text::kMsgSettingsOpenFailed);
    EXPECT_EQ(FileLines(), kDefaults);
    EXPECT_EQ(FileLines()[2], "0");
    EXPECT_EQ(FileLines()[49], "1");
    EXPECT_EQ(st().settings().Lines(), kDefaults);
    EXPECT_EQ(st().form().RadioGroup_X, 0);
    EXPECT_EQ(st().form().ComboBox_FileOnChangeThresh.ItemIndex, 1);
}

TEST_F(SettingsFileTest, AFirstStartReportsTheSixMissingTablesInOrder) {
    st().settings().Load();
    std::vector<std::string> expected = {std::string(text::kMsgSettingsOpenFailed)};
    for (char channel = '1'; channel <= '6'; ++channel) {
        expected.push_back(std::string(text::kMsgTableFailedBefore) + channel +
                           std::string(text::kMsgTableFailedAfter));
    }
    EXPECT_EQ(ui.Texts(), expected);
    EXPECT_EQ(Kinds(),
              (std::vector<TestUi::BoxKind>{TestUi::BoxKind::Plain, TestUi::BoxKind::Warning,
                                            TestUi::BoxKind::Warning, TestUi::BoxKind::Warning,
                                            TestUi::BoxKind::Warning, TestUi::BoxKind::Warning,
                                            TestUi::BoxKind::Warning}));
}

TEST_F(SettingsFileTest, EveryLineReachesItsValueAndIsWrittenBackUnchanged) {
    // Identity, scale; chart and file enables; background, grid, averaging; curve colours;
    // table paths; the 19 recording choices (the last: on change); threshold; averages.
    const LineList file = Split(
        "KSL214.8N|TS000001|7|1|0|1|0|0|1|0|1|1|0|0|0|16711680|12632256|1|1|2|3|4|5|6|"
        "/data/t1.txt||/data/t 3.txt|||/data/t6.txt|"
        "0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|1|98|1");
    WriteSettings(file);
    st().settings().Load();

    for (const auto& box : ui.boxes) {
        EXPECT_NE(box.text, text::kMsgSettingsOpenFailed);
        EXPECT_NE(box.text, text::kMsgSettingsReadFailed);
    }
    const Station& s = st();
    EXPECT_EQ(s.link().Description(), "KSL214.8N");
    EXPECT_EQ(s.link().Serial(), "TS000001");
    EXPECT_EQ(s.form().RadioGroup_X, 7);
    const bool chart[] = {true, false, true, false, false, true};
    const bool record[] = {false, true, true, false, false, false};
    for (int c = 0; c < kChannels; ++c) {
        EXPECT_EQ(s.form().ChartEN_CH[c].Checked, chart[c]) << c;
        EXPECT_EQ(s.form().FileEN_CH[c].Checked, record[c]) << c;
        EXPECT_EQ(s.chart().Colors().CurveColor[c], static_cast<Color>(c + 1));
    }
    EXPECT_EQ(s.chart().Colors().BackgroundColor, 16711680u);
    EXPECT_EQ(s.chart().Colors().GridColor, 12632256u);
    EXPECT_TRUE(s.form().CheckBox_ChartAver.Checked);
    EXPECT_EQ(s.measurement().Tables().Paths()[0], "/data/t1.txt");
    EXPECT_EQ(s.measurement().Tables().Paths()[2], "/data/t 3.txt");
    EXPECT_EQ(s.measurement().Tables().Paths()[5], "/data/t6.txt");
    EXPECT_EQ(s.form().SelectedRecordChoice(), kRecordChoiceOnChange);
    EXPECT_EQ(s.form().ComboBox_FileOnChangeThresh.ItemIndex, 98);
    EXPECT_TRUE(s.form().CheckBox_FileDataAver.Checked);
    EXPECT_EQ(s.settings().Lines(), file);

    std::filesystem::remove(SettingsPath());
    st().settings().Save();
    EXPECT_EQ(FileLines(), file);
}

TEST_F(SettingsFileTest, AShortFileKeepsWhatItHadAndDefaultsTheRest) {
    LineList forty = With(kDefaults, {{0, "Dev"}, {1, "S1"}, {3, "1"}, {24, "/t1"}, {39, "1"}});
    forty.resize(40);
    WriteSettings(forty);
    st().settings().Load();

    // The read warning alone: no table is loaded in this run.
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, TestUi::BoxKind::Warning);
    EXPECT_EQ(ui.boxes[0].text, text::kMsgSettingsReadFailed);
    EXPECT_EQ(st().link().Description(), "Dev");
    EXPECT_TRUE(st().form().ChartEN_CH[0].Checked);
    EXPECT_EQ(st().measurement().Tables().Paths()[0], "/t1");
    EXPECT_EQ(st().form().SelectedRecordChoice(), 9);  // line 39: "1с"
    EXPECT_EQ(FileLines(),
              With(kDefaults, {{0, "Dev"}, {1, "S1"}, {3, "1"}, {24, "/t1"}, {39, "1"}}));
    EXPECT_EQ(st().settings().Lines().size(), 51u);
}

TEST_F(SettingsFileTest, ABadNumberStopsApplyingThere) {
    WriteSettings(With(kDefaults, {{2, "5"}, {15, "255"}, {16, "grey"}, {17, "1"}, {49, "7"}}));
    st().settings().Load();

    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, text::kMsgSettingsReadFailed);
    EXPECT_EQ(st().form().RadioGroup_X, 5);
    EXPECT_EQ(st().chart().Colors().BackgroundColor, 255u);
    EXPECT_EQ(st().chart().Colors().GridColor, 8421504u);
    EXPECT_FALSE(st().form().CheckBox_ChartAver.Checked);
    EXPECT_EQ(st().form().ComboBox_FileOnChangeThresh.ItemIndex, 1);
    EXPECT_EQ(FileLines(), With(kDefaults, {{2, "5"}, {15, "255"}}));
}

TEST_F(SettingsFileTest, EmptyIdentityIsValidButAnEmptyNumberIsNot) {
    WriteSettings(With(kDefaults, {{3, "1"}}));
    st().settings().Load();
    EXPECT_EQ(st().link().Description(), "");
    EXPECT_EQ(st().link().Serial(), "");
    EXPECT_TRUE(st().form().ChartEN_CH[0].Checked);
    for (const auto& box : ui.boxes) EXPECT_NE(box.text, text::kMsgSettingsReadFailed);

    ui.ClearLog();
    WriteSettings(With(kDefaults, {{0, "Dev"}, {2, ""}, {3, "1"}}));
    Station second(driver, platform, ui);
    second.settings().Load();
    EXPECT_EQ(ui.Texts(), LineList{std::string(text::kMsgSettingsReadFailed)});
    EXPECT_EQ(second.link().Description(), "Dev");
    EXPECT_FALSE(second.form().ChartEN_CH[0].Checked);
}

TEST_F(SettingsFileTest, FlagsTakeAnyNonZeroIntegerAndAreWrittenAsOne) {
    WriteSettings(
        With(kDefaults, {{3, "5"}, {4, "-1"}, {9, "$10"}, {17, " 0x1"}, {50, "  2"}, {15, "$FF"}}));
    st().settings().Load();
    EXPECT_TRUE(st().form().ChartEN_CH[0].Checked);
    EXPECT_TRUE(st().form().ChartEN_CH[1].Checked);
    EXPECT_TRUE(st().form().FileEN_CH[0].Checked);
    EXPECT_TRUE(st().form().CheckBox_ChartAver.Checked);
    EXPECT_TRUE(st().form().CheckBox_FileDataAver.Checked);
    EXPECT_EQ(st().chart().Colors().BackgroundColor, 255u);

    st().settings().Save();
    EXPECT_EQ(FileLines(),
              With(kDefaults, {{3, "1"}, {4, "1"}, {9, "1"}, {17, "1"}, {50, "1"}, {15, "255"}}));
}

TEST_F(SettingsFileTest, TheScaleIsClampedAndAnUnknownThresholdSelectsNothing) {
    struct Case {
        const char* scale;
        int selected;
        const char* threshold;
        int item;
    };
    const Case cases[] = {{"30", 24, "99", -1}, {"-5", -1, "-1", -1}, {"24", 24, "0", 0},
                          {"-1", -1, "98", 98}, {"0", 0, "-7", -1},   {"25", 24, "1000", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.scale) + " / " + c.threshold);
        Station station(driver, platform, ui);
        WriteSettings(With(kDefaults, {{2, c.scale}, {49, c.threshold}}));
        station.settings().Load();
        EXPECT_EQ(station.form().RadioGroup_X, c.selected);
        EXPECT_EQ(station.form().ComboBox_FileOnChangeThresh.ItemIndex, c.item);
        station.settings().Save();
        EXPECT_EQ(FileLines()[2], std::to_string(c.selected));
        EXPECT_EQ(FileLines()[49], std::to_string(c.item));
    }
}

TEST_F(SettingsFileTest, OfSeveralRecordingChoicesTheLastWins) {
    WriteSettings(With(kDefaults, {{35, "1"}, {40, "1"}, {44, "0"}}));
    st().settings().Load();
    // Line 35 is "0.05с", line 40 "2с".
    EXPECT_EQ(st().form().SelectedRecordChoice(), 10);
    int selected = 0;
    for (const auto& radio : st().form().RadioB_File) selected += radio.Checked ? 1 : 0;
    EXPECT_EQ(selected, 1);

    Station none(driver, platform, ui);
    WriteSettings(kDefaults);
    none.settings().Load();
    EXPECT_EQ(none.form().SelectedRecordChoice(), -1);
}

TEST_F(SettingsFileTest, EveryLineEndingIsReadAndLinesAfterTheLastAreIgnored) {
    LineList longer = With(kDefaults, {{0, "Dev"}, {50, "1"}});
    longer.push_back("anything at all");
    longer.push_back("\x01garbage");
    for (const char* ending : {"\n", "\r", "\r\n"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(ending)));
        ui.ClearLog();
        WriteSettings(longer, ending);
        Station station(driver, platform, ui);
        station.settings().Load();
        EXPECT_EQ(station.link().Description(), "Dev");
        EXPECT_TRUE(station.form().CheckBox_FileDataAver.Checked);
        EXPECT_EQ(station.settings().Lines().size(), 51u);
        for (const auto& box : ui.boxes) EXPECT_NE(box.text, text::kMsgSettingsReadFailed);
    }
}

TEST_F(SettingsFileTest, AnOverlongLineOrABinaryFileIsAReadFailureNotACrash) {
    WriteSettings(With(kDefaults, {{0, "Dev"}, {3, "1"}, {24, std::string(70 * 1024, 'p')}}));
    st().settings().Load();
    EXPECT_EQ(ui.Texts(), LineList{std::string(text::kMsgSettingsReadFailed)});
    EXPECT_EQ(st().link().Description(), "Dev");
    EXPECT_TRUE(st().form().ChartEN_CH[0].Checked);
    EXPECT_EQ(st().measurement().Tables().Paths()[0], "");
    EXPECT_EQ(FileLines(), With(kDefaults, {{0, "Dev"}, {3, "1"}}));

    ui.ClearLog();
    {
        std::ofstream out(SettingsPath(), std::ios::binary);
        const char elf[] =
            "\x7F"
            "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0";
        out.write(elf, sizeof elf);
    }
    Station binary(driver, platform, ui);
    binary.settings().Load();
    EXPECT_EQ(ui.Texts(), LineList{std::string(text::kMsgSettingsReadFailed)});
    EXPECT_EQ(FileLines(), kDefaults);
}

TEST_F(SettingsFileTest, UsesAndCreatesTheFileOfTheDirectoryItStartedIn) {
    TempFolder other;
    platform.currentDirectory = other.path();
    st().settings().Load();
    EXPECT_EQ(st().settings().Directory(), other.path());
    EXPECT_TRUE(std::filesystem::exists(other / "Settings.bin"));
    EXPECT_FALSE(std::filesystem::exists(SettingsPath()));

    // A file dialog changing the current directory later does not move it.
    platform.currentDirectory = folder.path();
    st().link().SetIdentity(st().link().Description(), "S2");
    st().settings().Save();
    EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
    std::ifstream in(other / "Settings.bin", std::ios::binary);
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(second, "S2\r");
}

TEST_F(SettingsFileTest, AnUnreadableAndUnwritableFileGivesBothMessagesAndTheDefaults) {
    std::filesystem::create_directory(SettingsPath());
    st().settings().Load();
    ASSERT_GE(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].kind, TestUi::BoxKind::Plain);
    EXPECT_EQ(ui.boxes[0].text, text::kMsgSettingsOpenFailed);
    EXPECT_EQ(ui.boxes[1].kind, TestUi::BoxKind::Warning);
    EXPECT_EQ(ui.boxes[1].text, text::kMsgSettingsWriteFailed);
    EXPECT_EQ(st().settings().Lines(), kDefaults);
    EXPECT_EQ(st().form().ComboBox_FileOnChangeThresh.ItemIndex, 1);
}

TEST_F(SettingsFileTest, AValueWithALineBreakCannotShiftTheLinesAfterIt) {
    st().measurement().Tables().SetPath(1 + 1, "/data/two\nlines.txt");
    st().measurement().Tables().SetPath(2 + 1, "/data/three.txt");
    st().form().CheckBox_FileDataAver.Checked = true;
    st().settings().Save();
    const LineList lines = FileLines();
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(lines[25], "");
    EXPECT_EQ(lines[26], "/data/three.txt");
    EXPECT_EQ(lines[50], "1");
}

TEST_F(SettingsFileTest, TheSimulatorsDemoFileReadsAsIntended) {
    ASSERT_TRUE(sim::PrepareDemoFolder(folder.path(), '.'));
    st().settings().Load();
    for (const auto& box : ui.boxes) {
        EXPECT_NE(box.text, text::kMsgSettingsOpenFailed);
        EXPECT_NE(box.text, text::kMsgSettingsReadFailed);
    }
    EXPECT_EQ(st().link().Description(), sim::kSimDescription);
    EXPECT_EQ(st().link().Serial(), sim::kSimSerial);
    for (int c = 0; c < kChannels; ++c) {
        EXPECT_TRUE(st().form().ChartEN_CH[c].Checked);
        EXPECT_EQ(st().form().FileEN_CH[c].Checked, c < 2);
        EXPECT_EQ(st().measurement().Tables().Paths()[c],
                  folder / ("table_ch" + std::to_string(c + 1) + ".txt"));
    }
    EXPECT_EQ(st().form().SelectedRecordChoice(), 9);
    EXPECT_EQ(st().form().ComboBox_FileOnChangeThresh.ItemIndex, 1);
}

TEST_F(SettingsFileTest, AReadOnlyFileStaysReadOnlyAndTheSaveWarns) {
    const LineList old = With(kDefaults, {{0, "Old"}});
    WriteSettings(old);
    namespace fs = std::filesystem;
    fs::permissions(SettingsPath(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    st().link().SetIdentity("New", st().link().Serial());
    st().settings().Save();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, TestUi::BoxKind::Warning);
    EXPECT_EQ(ui.boxes[0].text, text::kMsgSettingsWriteFailed);
    EXPECT_EQ(FileLines(), old);
}

}  // namespace
}  // namespace ts
