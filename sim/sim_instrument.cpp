#include "sim/sim_instrument.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/frame_encoder.h"

namespace ts::sim {

SimInstrument::SimInstrument(SimDriver& driver, int deviceId)
    : driver_(driver), deviceId_(deviceId) {
    for (int c = 0; c < kChannels; ++c) {
        channels[c].level = 150 + 140 * c;
        channels[c].amplitude = 100;
        channels[c].periodSeconds = 2.0 + c;
    }
    outgoing_.reserve(64 * 1024);
}

std::uint32_t SimInstrument::NextRandom() {
    if (rng_ == 0) rng_ = seed ? seed : 1;
    rng_ ^= rng_ << 13;
    rng_ ^= rng_ >> 17;
    rng_ ^= rng_ << 5;
    return rng_;
}

Sample SimInstrument::SampleAt(std::uint64_t i) const {
    Sample s;
    s.TimeCounter = static_cast<std::uint16_t>(i * timeUnitsPerSample);
    const double t = static_cast<double>(i) / samplesPerSecond;
    for (int c = 0; c < kChannels; ++c) {
        const ChannelSignal& sig = channels[c];
        double v = sig.level;
        switch (sig.shape) {
            case SignalShape::Constant:
                break;
            case SignalShape::Sine:
                v += sig.amplitude * std::sin(2 * std::numbers::pi * t / sig.periodSeconds);
                break;
            case SignalShape::Ramp: {
                const double phase = t / sig.periodSeconds - std::floor(t / sig.periodSeconds);
                v += sig.amplitude * (2 * phase - 1);
                break;
            }
            case SignalShape::Noise: {
                // Deterministic per sample so that SampleAt stays a pure function.
                std::uint64_t h = (i + 1) * 0x9E3779B97F4A7C15ull + static_cast<unsigned>(c);
                h ^= h >> 29;
                h *= 0xBF58476D1CE4E5B9ull;
                h ^= h >> 32;
                v += sig.amplitude * ((static_cast<double>(h % 2001) - 1000.0) / 1000.0);
                break;
            }
        }
        s.Value[c] = static_cast<std::uint16_t>(std::clamp(std::lround(v), 0L, 1023L));
    }
    return s;
}

void SimInstrument::Advance(double seconds) {
    const double end = now_ + seconds;
    outgoing_.clear();
    while (true) {
        const double due = static_cast<double>(sampleIndex_) / samplesPerSecond;
        if (due > end) break;
        const Sample s = SampleAt(sampleIndex_);
        ++sampleIndex_;
        const double step = 1.0 / samplesPerSecond;
        if (pauseLeft_ > 0) {
            pauseLeft_ -= step;
            continue;
        }
        noiseDebt_ += noiseBytesPerSecond * step;
        while (noiseDebt_ >= 1) {
            outgoing_.push_back(static_cast<std::uint8_t>(NextRandom()));
            noiseDebt_ -= 1;
        }
        Frame f = EncodeFrame(instrumentNumber, s.TimeCounter, s.Value);
        corruptDebt_ += corruptFramesPerSecond * step;
        if (corruptDebt_ >= 1) {
            corruptDebt_ -= 1;
            f[13] ^= 0x01;  // a checksum that no longer matches
            outgoing_.insert(outgoing_.end(), f.begin(), f.end());
        } else {
            outgoing_.insert(outgoing_.end(), f.begin(), f.end());
            const SimDevice& device = driver_.Device(deviceId_);
            if (device.plugged && device.open) {
                ++validFramesSent_;
                if (onFrameSent) onFrameSent(instrumentNumber, s);
            }
        }
        if (outgoing_.size() >= 60000) {
            driver_.Feed(deviceId_, outgoing_);
            outgoing_.clear();
        }
    }
    driver_.Feed(deviceId_, outgoing_);
    outgoing_.clear();
    now_ = end;
}

}  // namespace ts::sim
