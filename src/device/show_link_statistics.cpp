#include "device/instrument_link.h"
#include "device/link_statistics.h"

namespace ts {

// The connection indicator's hint: what the link has decoded, rejected and lost so far.
void InstrumentLink::ShowStatistics() {
    statistics_.AskDriver(driver_, state_.DeviceHandle);
    char hint[kLinkHintCapacity];
    const std::size_t length = FormatLinkHint(statistics_.Counts(), hint);
    form_.Label_Connection_Indicator.Hint.assign(hint, length);
}

}  // namespace ts
