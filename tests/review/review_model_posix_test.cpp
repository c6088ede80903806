#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <thread>

#include "app/form_binding.h"
#include "file_size_limit.h"
#include "review_model_rig.h"

namespace ts {
namespace {

using namespace review_rig;

constexpr std::int64_t kAll = std::numeric_limits<std::int64_t>::max();

// A disk that fills up half-way through an export: told, and no half table left behind to pass
// for the whole one.
TEST(ReviewModel, AnExportCutShortIsToldAndRemoved) {
    ReviewRig rig;
    rig.Open();
    rig.ui.exportPath = rig.Path("full.csv");
    {
        const FileSizeLimit full(4096);
        RunHandler(rig.model, layout::Handler::Review_ExportCsvClick, 0);
    }
    EXPECT_FALSE(std::filesystem::exists(rig.Path("full.csv")));
    ASSERT_EQ(rig.ui.messages.size(), 1u);
    EXPECT_EQ(rig.ui.messages[0], "  Не удалось записать файл: " + rig.Path("full.csv"));
}

// A followed file that changes under the window: cut and written anew with another recording,
// another file moved over its name, or removed. Each is said; a file written anew or replaced
// is read again from its start and none of the old records is shown as its own; what was read
// of a removed file stays to look at, and the following ends.
TEST(ReviewModel, AFollowedFileThatChangesIsSaidAndReadAgain) {
    enum class How { Rewritten, Replaced, Removed };
    const std::pair<How, std::string_view> cases[] = {
        {How::Rewritten, " (файл стал короче или записан заново: прочитан с начала)"},
        {How::Replaced, " (файл заменён другим: прочитан с начала)"},
        {How::Removed, " (файл удалён: показано прочитанное)"},
    };
    for (const auto& [how, note] : cases) {
        SCOPED_TRACE(std::string(note));
        ReviewRig rig(600);
        rig.shape.ending = Ending::None;
        rig.Open();
        ASSERT_TRUE(rig.model.form().CheckBox_Follow.Checked);
        // Another recording, longer than the first, started two hours later.
        FileShape other = rig.shape;
        other.start.Hour = 19;
        const auto otherRecords = MakeRecords(2000, 0, 18000, 77);
        const std::string otherBytes = ResultFileBytes(other, otherRecords);
        if (how == How::Rewritten) WriteAll(rig.Path(), otherBytes);
        if (how == How::Replaced) {
            WriteAll(rig.Path("other.txt"), otherBytes);
            ASSERT_EQ(std::rename(rig.Path("other.txt").c_str(), rig.Path().c_str()), 0);
        }
        if (how == How::Removed) {
            ASSERT_EQ(::unlink(rig.Path().c_str()), 0);
        }
        const auto label = [&] { return rig.model.form().Label_Progress.Caption; };
        for (int i = 0; i < 100 && label().find(note) == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            rig.model.Tick();
        }
        ASSERT_NE(label().find(note), std::string::npos) << label();
        auto& index = const_cast<review::RecordingIndex&>(rig.model.Index());
        index.WaitForPass();
        rig.model.Tick();
        if (how == How::Removed) {
            EXPECT_FALSE(rig.model.form().CheckBox_Follow.Checked);
            EXPECT_EQ(label().find("(слежение)"), std::string::npos) << label();
            // A zoom still draws the records read.
            rig.model.SpanClick(4);  // "80сек"
            const auto columns = rig.model.Columns(100);
            std::uint32_t drawn = 0;
            for (const review::ColumnValue& v : columns) drawn += v.count;
            EXPECT_GT(drawn, 0u);
            EXPECT_EQ(index.Summarize(0, kAll).channel[0].count, 600u);
            continue;
        }
        EXPECT_EQ(index.Parts().at(0).start.Hour, 19);
        EXPECT_EQ(index.EndNs(), WrittenNs(otherRecords.back().units));
        EXPECT_EQ(index.Summarize(0, kAll).channel[0].count, 2000u);
        EXPECT_EQ(rig.model.ViewToNs(), index.EndNs() + 1);
        EXPECT_EQ(index.Damaged().lines, 0u);
    }
}

}  // namespace
}  // namespace ts
