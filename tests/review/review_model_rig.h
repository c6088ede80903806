#pragma once

// A review model on a recording the test writes, with a window that answers as told.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/form_layout.h"
#include "file_text.h"
#include "result_file_rig.h"
#include "review/review_model.h"
#include "temp_folder.h"

namespace ts::review_rig {

constexpr std::int64_t kS = review::kNanosecondsPerSecond;

struct FakeReviewUi final : ReviewUi {
    std::vector<std::string> messages;
    std::optional<std::string> exportPath;
    std::vector<std::string> suggested;
    bool pictureWritten = true;
    std::vector<std::string> pictures;
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    std::optional<std::string> ChooseExportFile(ExportKind, const std::string& offered) override {
        suggested.push_back(offered);
        return exportPath;
    }
    bool WriteChartPicture(const std::string& path) override {
        pictures.push_back(path);
        return pictureWritten;
    }
};

// A recording of channels 1 and 3, one record a second for an hour from 17:05:03; channel 3
// ten thousand times channel 1, so that the range of the curves tells which are shown.
struct ReviewRig {
    TempFolder folder;
    FileShape shape;
    std::vector<TestRecord> records;
    FakeReviewUi ui;
    ReviewModel model{ui};

    explicit ReviewRig(std::size_t count = 3600) : records(MakeRecords(count, 0, 18000, 5)) {
        for (TestRecord& r : records) r.value[2] = r.value[0] * 10000;
    }
    std::string Path(const char* name = "r.txt") const { return folder / name; }
    void Open(const std::string& bytes) {
        WriteAll(Path(), bytes);
        ASSERT_EQ(model.Open(Path(), {}, review::DateOrder::DayMonthYear), "");
        const_cast<review::RecordingIndex&>(model.Index()).WaitForPass();
        model.Tick();
    }
    void Open() { Open(ResultFileBytes(shape, records)); }
    // The recording cut, and carried on from 18:00:00 in "r (2).txt" with 500 records to its
    // stop: one gap between the two parts.
    void OpenCutAndCarriedOn() {
        shape.ending = Ending::Interrupted;
        FileShape next = shape;
        next.start = {2026, 12, 6, 18, 0, 0};
        next.ending = Ending::Stop;
        WriteAll(Path("r (2).txt"), ResultFileBytes(next, MakeRecords(500, 0, 18000, 9)));
        Open();
    }
    std::int64_t Span() const { return model.ViewToNs() - model.ViewFromNs(); }
    std::int64_t At(std::size_t record) const { return WrittenNs(records[record].units); }
    double FractionOfRecord(std::size_t record) const { return model.FractionOf(At(record)); }
    const layout::ControlEntry& Control(std::string_view name) const {
        const auto& controls = layout::ReviewWindowControls();
        return controls[static_cast<std::size_t>(layout::IndexOf(controls, name))];
    }
};

}  // namespace ts::review_rig
