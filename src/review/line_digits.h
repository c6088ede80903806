#pragma once

namespace ts::review {

// An ASCII digit.
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace ts::review
