#pragma once

#include <cstdint>

#include "base/form.h"
#include "base/sample.h"

namespace ts {

// The demonstration: a generated six-channel signal in place of the instrument's, on a clock
// of its own.
class DemoSignal {
public:
    explicit DemoSignal(DemoFields& form) : form_(form) {}

    bool Running() const { return running_; }
    // Enters the demonstration or leaves it; the mode menu says which.
    void Enter(bool running);
    // Leaves it because another instrument's frames came.
    void Stop() { Enter(false); }
    // The next generated sample, 10 ms of the generator's time after the last one.
    Sample Next();
    // The mode menu's ticks.
    void ShowMode();
    // Whether the mode menu offers the demonstration.
    void Offer(bool offered) { form_.M_Menu_Mode_Demo.Enabled = offered; }

    std::uint16_t Time() const { return time_; }
    std::uint16_t Count() const { return count_; }
    // Goes on from step `count` of the generator.
    void ContinueFrom(std::uint16_t count) { count_ = count; }

private:
    DemoFields& form_;
    bool running_ = false;
    std::uint16_t time_ = 0;
    std::uint16_t count_ = 0;
};

}  // namespace ts
