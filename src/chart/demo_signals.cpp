#include "chart/demo_signals.h"

#include <cmath>

namespace ts {

namespace {

// The argument goes through single precision first, as the generator always
// did; the products are then formed in double precision. Every result is
// positive, so the cast truncates toward zero.
std::uint16_t Wave(double (*wave)(double), double rate, float x, double swing, double centre) {
    return static_cast<std::uint16_t>(wave(rate * static_cast<double>(x)) * swing + centre);
}

double Sine(double a) { return std::sin(a); }
double Cosine(double a) { return std::cos(a); }

}  // namespace

std::array<std::uint16_t, kChannels> DemoValues(std::uint16_t count) {
    const float x = static_cast<float>(count);
    return {
        Wave(Sine, 0.01, x, 500, 511),
        static_cast<std::uint16_t>(count / 31),
        Wave(Cosine, 0.1, x, 300, 630),
        static_cast<std::uint16_t>((count & 0x80) == 0 ? 800 : 100),
        static_cast<std::uint16_t>((count & 1) != 0 ? 800 : 500),
        Wave(Sine, 0.04, x, 400, 450),
    };
}

}  // namespace ts
