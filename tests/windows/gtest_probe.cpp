// A test program that ends as TS_PROBE_END asks, for the test of tests/windows/run-gtest: a
// Windows test program that crashes or stops before its runner's summary must fail the run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace {

TEST(ProbeTest, EndsAsAsked) {
    const std::string_view end = std::getenv("TS_PROBE_END") ? std::getenv("TS_PROBE_END") : "";
    if (end == "crash") {
        // A page fault, as a stray pointer makes one.
        int* volatile address = nullptr;
        *address = 1;
    }
    if (end == "exit") std::_Exit(0);
    EXPECT_NE(end, "fail");
}

TEST(ProbeTest, Last) {}

}  // namespace
