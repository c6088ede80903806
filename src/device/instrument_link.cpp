#include "device/instrument_link.h"

#include <algorithm>

#include "base/texts.h"

namespace ts {

InstrumentLink::InstrumentLink(Driver& driver, Platform& platform, Ui& ui, LinkFields& form)
    : driver_(driver), platform_(platform), ui_(ui), form_(form) {
    // Rewritten several times a second: room for the longest text once, so that no refresh
    // allocates.
    form_.Label_Connection_Indicator.Hint.reserve(kLinkHintCapacity);
}

void InstrumentLink::Connect(SampleSink& samples, LinkEvents& events) {
    samples_ = &samples;
    events_ = &events;
}

void InstrumentLink::Close() {
    if (state_.DeviceHandle != 0) driver_.Close(state_.DeviceHandle);
    state_.DeviceHandle = 0;
}

void InstrumentLink::ForgetSilenceSince(std::int32_t before) {
    state_.SilentTicks = std::min(state_.SilentTicks, before);
}

void InstrumentLink::SetIdentity(const std::string& description, const std::string& serial) {
    state_.DeviceDescription = description;
    state_.DeviceSerial = serial;
}

// Every property is assigned on every pass; the window repaints only what actually changed.
void InstrumentLink::ShowConnection() {
    LabelState& indicator = form_.Label_Connection_Indicator;
    if (state_.DataReceived) {
        indicator.Caption = text::kConnectionYes;
        indicator.FontColor = kColorBlack;
    } else {
        indicator.Caption = text::kConnectionNo;
        indicator.FontColor = kColorRed;
    }
}

// The connection indicator's hint: what the link has decoded, rejected and lost so far.
void InstrumentLink::ShowStatistics() {
    statistics_.AskDriver(driver_, state_.DeviceHandle);
    char hint[kLinkHintCapacity];
    const std::size_t length = FormatLinkHint(statistics_.Counts(), hint);
    form_.Label_Connection_Indicator.Hint.assign(hint, length);
}

}  // namespace ts
