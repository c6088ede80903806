#pragma once

#include <cstdint>

namespace ts::soak {

// Counts every allocation the process makes through operator new, and the
// bytes it holds, so a test can show that a long run allocates nothing.
struct AllocationCounts {
    std::uint64_t allocations;
    std::int64_t bytesHeld;
};

AllocationCounts Allocations();

}  // namespace ts::soak
