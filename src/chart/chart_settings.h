#pragma once

#include <array>

#include "app/color.h"
#include "measure/sample.h"

namespace ts {

constexpr std::array<Color, kChannels> kDefaultCurveColors = {255,      16776960, 65535,
                                                              16711935, 65280,    16777215};

struct ChartColors {
    std::array<Color, kChannels> CurveColor = kDefaultCurveColors;
    Color BackgroundColor = kColorBlack;
    Color GridColor = kColorGrey;  // 8421504
    // The colour dialog opens on the colour last confirmed in it.
    Color LastDialogColor = kColorBlack;
};

}  // namespace ts
