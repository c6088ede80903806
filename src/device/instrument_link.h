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
    // The open connection to the bridge; 0 when none is open.
    FtHandle Handle() const { return state_.DeviceHandle; }
    // The instrument number of the last frame; 0 while a device just chosen has sent none,
    // -1 while the device is to be reopened.
    int InstrumentNumber() const { return state_.DeviceNumber; }
    // Polls without a valid frame since the last one.
    std::int32_t SilentPolls() const { return state_.SilentTicks; }
    // Bytes of a frame cut by the end of the last read, waiting for the rest.
    std::size_t HeldBytes() const { return state_.TailLength; }
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
