#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "base/sample.h"
#include "sim/sim_driver.h"

namespace ts::sim {

enum class SignalShape { Constant, Sine, Ramp, Noise };

struct ChannelSignal {
    SignalShape shape = SignalShape::Sine;
    double level = 512;        // centre, raw code
    double amplitude = 400;    // raw codes either side of the centre
    double periodSeconds = 4;  // sine and ramp
};

// A virtual instrument streaming frames into one device of a SimDriver. Time
// is virtual: the caller advances it, on a wall clock or as fast as a test
// wants, and the instrument sends what it would have sent meanwhile.
class SimInstrument {
public:
    SimInstrument(SimDriver& driver, int deviceId);

    int instrumentNumber = 1;
    double samplesPerSecond = 6000;
    std::uint16_t timeUnitsPerSample = 3;
    std::array<ChannelSignal, kChannels> channels{};
    double noiseBytesPerSecond = 0;     // random bytes slipped between frames
    double corruptFramesPerSecond = 0;  // frames sent with a broken checksum
    std::uint32_t seed = 12345;

    // Sends everything due within the next `seconds` of virtual time.
    void Advance(double seconds);
    // Stays silent for the next `seconds` of virtual time (time stamps go on).
    void Pause(double seconds) { pauseLeft_ += seconds; }

    double Now() const { return now_; }
    std::uint64_t SamplesGenerated() const { return sampleIndex_; }
    std::uint64_t ValidFramesSent() const { return validFramesSent_; }
    // Called for every valid frame actually fed to the driver.
    std::function<void(int instrument, const Sample&)> onFrameSent;

    // The sample the instrument measures at sample index `i`.
    Sample SampleAt(std::uint64_t i) const;

private:
    std::uint32_t NextRandom();

    SimDriver& driver_;
    int deviceId_;
    double now_ = 0;
    double pauseLeft_ = 0;
    std::uint64_t sampleIndex_ = 0;
    std::uint64_t validFramesSent_ = 0;
    double noiseDebt_ = 0;
    double corruptDebt_ = 0;
    std::uint32_t rng_ = 0;
    std::vector<std::uint8_t> outgoing_;
};

}  // namespace ts::sim
