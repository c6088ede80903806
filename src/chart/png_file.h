#pragma once

#include <cstdint>
#include <span>

#include "platform/system_file.h"

namespace ts {

// Writes a picture as a PNG file: `pixels` row by row from the top, each pixel 0x00RRGGBB
// as a 32-bit value (the layout of a Windows DIB section). Stored without compression, so
// that nothing beyond the core is needed; a chart of a window's size stays a few MB at most.
// False when a write failed.
bool WritePng(SystemFile& out, int width, int height, std::span<const std::uint32_t> pixels);

}  // namespace ts
