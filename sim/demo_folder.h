#pragma once

#include <string>

namespace ts::sim {

// Identity of the simulator's virtual instrument.
inline constexpr const char* kSimDescription = "KSL214.8N";
inline constexpr const char* kSimSerial = "TS000001";

// Makes `folder` ready for a first run of the simulator: a settings file that
// names the virtual instrument, draws all six channels and records channels
// 1 and 2 every second, and a calibration table per channel. Files already
// there are left alone. Returns false when something could not be written.
bool PrepareDemoFolder(const std::string& folder, char decimalSeparator);

}  // namespace ts::sim
