#pragma once

#include <array>

#include "base/color.h"
#include "base/sample.h"

namespace ts {

struct ChartColors {
    std::array<Color, kChannels> CurveColor = kDefaultCurveColors;
    Color BackgroundColor = kColorBlack;
    Color GridColor = kColorGrey;  // 8421504
    // The colour dialog opens on the colour last confirmed in it.
    Color LastDialogColor = kColorBlack;
};

}  // namespace ts
