#include <gtest/gtest.h>

#include <string>

#include "review/review_export.h"

namespace ts::review {
namespace {

// The clock time of a record to the nearest millisecond, carried into the second, minute and
// day; the expected texts are written out by hand.
TEST(ReviewExport, IsoTimesAreRoundedToTheMillisecond) {
    const std::int64_t start = SecondsOfDateTime({2026, 12, 6, 12, 0, 0});
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "2026-12-06T12:00:00.000"},
        {30'000'000'000, "2026-12-06T12:00:30.000"},
        {29'999'999'000, "2026-12-06T12:00:30.000"},  // a microsecond below
        {29'999'400'000, "2026-12-06T12:00:29.999"},
        {555'556, "2026-12-06T12:00:00.001"},  // ten units of 1/18000 s
        {59'999'500'000, "2026-12-06T12:01:00.000"},
        {86'399'999'600'000, "2026-12-07T12:00:00.000"},
    };
    for (const auto& [ns, expected] : cases) {
        SCOPED_TRACE(ns);
        char text[kExportTextCapacity];
        EXPECT_EQ(std::string(text, FormatIsoTime(start, ns, text)), expected);
    }
}

}  // namespace
}  // namespace ts::review
