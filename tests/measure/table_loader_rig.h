#pragma once

#include <string>

#include "base/texts.h"
#include "file_text.h"
#include "station_fixture.h"

namespace ts {

inline std::string Message(int channel) {
    return std::string(text::kMsgTableFailedBefore) + std::to_string(channel) +
           std::string(text::kMsgTableFailedAfter);
}

class TableLoaderTest : public StationTest {
protected:
    std::string Write(const std::string& name, const std::string& content) {
        WriteAll(folder / name, content);
        return folder / name;
    }

    // Loads `content` as channel `channel`'s table file.
    void Load(int channel, const std::string& content) {
        st().measurement().Tables().SetPath(
            channel, Write("ch" + std::to_string(channel) + ".txt", content));
        st().measurement().Tables().Load(channel);
    }

    const CalibrationTable& Table(int channel) {
        return st().measurement().Tables().Table(channel);
    }
    Color Caption(int channel) {
        return st().form().B_ListF_CH[static_cast<std::size_t>(channel - 1)].FontColor;
    }
    // Loaded: points as given, caption in the window-text colour, no box.
    void ExpectLoaded(int channel, int points) {
        EXPECT_EQ(Table(channel).PointCount, points);
        EXPECT_EQ(Caption(channel), kColorWindowText);
        EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
    }
    // Absent; with or without the channel's warning box.
    void ExpectAbsent(int channel, bool withMessage) {
        EXPECT_EQ(Table(channel).PointCount, 0);
        EXPECT_EQ(Caption(channel), kColorRed);
        EXPECT_EQ(st().measurement().Tables().Calibrate(channel, 500), 0.0);
        if (withMessage) {
            ASSERT_EQ(ui.boxes.size(), 1u);
            EXPECT_EQ(ui.boxes[0].kind, sim::TestUi::BoxKind::Warning);
            EXPECT_EQ(ui.boxes[0].text, Message(channel));
        } else {
            EXPECT_TRUE(ui.boxes.empty());
        }
        ui.ClearLog();
    }
};

}  // namespace ts
