#pragma once

#include <string>
#include <string_view>

namespace ts::win32 {

// Where a message goes when nobody may be there to answer a box: Windows is ending the session
// and ends the program as soon as its window has answered, so a modal box would hold the logoff
// up. The text is added as one dated line to trend-station.log in `folder`, the one that holds
// Settings.bin, where a person looking for their settings finds it; when that cannot be written
// (the disk is full, the folder read-only) it goes to the system's Application event log.
void LogAtSessionEnd(const std::string& folder, std::string_view text);

inline constexpr char kSessionLogName[] = "trend-station.log";

}  // namespace ts::win32
