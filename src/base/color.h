#pragma once

#include <array>
#include <cstdint>

#include "base/sample.h"

namespace ts {

// A colour as the settings file stores it: 0x00BBGGRR (red in the lowest byte).
using Color = std::uint32_t;

constexpr Color kColorBlack = 0x000000;
constexpr Color kColorRed = 0x0000FF;
constexpr Color kColorGreen = 0x008000;  // green 128, the "recording" label colour
constexpr Color kColorGrey = 0x808080;
// Not an RGB value: "the desktop's window-text colour", resolved by the window.
constexpr Color kColorWindowText = 0xFF000008;

// The six curves' colours until the user chooses others.
constexpr std::array<Color, kChannels> kDefaultCurveColors = {255,      16776960, 65535,
                                                              16711935, 65280,    16777215};

constexpr int RedOf(Color c) { return static_cast<int>(c & 0xFFu); }
constexpr int GreenOf(Color c) { return static_cast<int>((c >> 8) & 0xFFu); }
constexpr int BlueOf(Color c) { return static_cast<int>((c >> 16) & 0xFFu); }
constexpr Color MakeColor(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

}  // namespace ts
