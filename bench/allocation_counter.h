#pragma once

#include <cstdint>

namespace ts::bench {

// Number of calls of the global operator new in this program so far. The
// benchmarks read it around their timed loops to show what the hot path
// allocates.
std::uint64_t AllocationCount();

}  // namespace ts::bench
