#pragma once

#include <cstdint>
#include <string>

#include "base/form.h"
#include "base/ui_port.h"
#include "device/driver.h"
#include "device/link_events.h"
#include "device/link_state.h"
#include "device/link_statistics.h"
#include "measure/sample_sink.h"
#include "platform/platform.h"

namespace ts {

// The instrument behind the USB bridge: finding and opening it, the device menu, reading and
// decoding its frames, watching for silence and bringing a lost device back. Samples of the
// wanted instrument go to the sink; what else happens is told through the events.
class InstrumentLink {
public:
    InstrumentLink(Driver& driver, Platform& platform, Ui& ui, LinkFields& form);
    InstrumentLink(const InstrumentLink&) = delete;
    InstrumentLink& operator=(const InstrumentLink&) = delete;

    void Connect(SampleSink& samples, LinkEvents& events);
    // Whether the instrument's samples reach the sink; off while the demonstration feeds it.
    void PassSamples(bool pass) { pass_ = pass; }

    // True when the device was found, opened and configured. Opening with messages starts the
    // link statistics afresh; a silent open carries them on.
    bool Open(bool showMessages);
    void Close();
    void Poll();
    void DecodeFrame(const std::uint8_t* frame);
    // One poll's share of the supervision: counts a poll without a frame, and past the limit
    // tells that the link is silent.
    void WatchSilence();
    // The once-a-second supervision: reopens or re-enumerates a device that sends nothing.
    void Supervise();
    void Reenumerate();
    // A device that stays silent from now on is re-enumerated by the next supervision.
    void AwaitStream() { state_.DeviceNumber = 0; }
    // The silence counted since `before` is forgotten: the program stood still, so an empty
    // poll said nothing about the line.
    void ForgetSilenceSince(std::int32_t before);

    void BuildDeviceMenu();
    void ChooseDevice(int item);  // menu item 1..8
    void SelectDevice(int index);

    // The connection indicator: its caption and colour, and the statistics in its hint.
    void ShowConnection();
    void ShowStatistics();
    bool StatisticsDue() { return statistics_.HintDue(); }

    const std::string& Description() const { return state_.DeviceDescription; }
    const std::string& Serial() const { return state_.DeviceSerial; }
    void SetIdentity(const std::string& description, const std::string& serial);
    bool DataReceived() const { return state_.DataReceived; }
    // Polls without a valid frame since the last one, as the silence watch counts them.
    std::int32_t SilentTicks() const { return state_.SilentTicks; }
    const LinkState& State() const { return state_; }
    // Goes on from `state`, as if the frames and ticks that led there had come.
    void Restore(const LinkState& state) { state_ = state; }
    LinkCounts Counts() const { return statistics_.Counts(); }
    Driver& Bridge() { return driver_; }

private:
    Driver& driver_;
    Platform& platform_;
    Ui& ui_;
    LinkFields& form_;
    SampleSink* samples_ = nullptr;
    LinkEvents* events_ = nullptr;
    bool pass_ = true;
    LinkState state_;
    LinkStatistics statistics_;
};

}  // namespace ts
