#pragma once

#include <string>
#include <string_view>

namespace ts {

// The hint of a recording period's radio button, made from its caption ("0.5с"): the caption
// without its unit letter, between the hint's fixed words.
std::string RecordPeriodHint(std::string_view caption);

}  // namespace ts
