#include <gtest/gtest.h>

#include <filesystem>

#include "app/form_binding.h"
#include "file_size_limit.h"
#include "review_model_rig.h"

namespace ts {
namespace {

using namespace review_rig;

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

}  // namespace
}  // namespace ts
