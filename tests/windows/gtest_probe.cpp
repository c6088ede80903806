// A test program that ends as TS_PROBE_END asks, for the test of tests/windows/run-gtest: a
// Windows test program that crashes or stops before its runner's summary must fail the run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace {

std::string_view End() {
    const char* end = std::getenv("TS_PROBE_END");
    return end != nullptr ? end : "";
}

TEST(ProbeTest, First) {}

TEST(ProbeTest, EndsAsAsked) {
    if (End() == "crash") {
        // A page fault, as a stray pointer makes one.
        int* volatile address = nullptr;
        *address = 1;
    }
    if (End() == "exit") std::_Exit(0);
    EXPECT_NE(End(), "fail");
}

TEST(ProbeTest, Last) {}

}  // namespace
