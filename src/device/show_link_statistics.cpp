#include "app/station.h"
#include "device/link_statistics.h"

namespace ts {

// The connection indicator's hint: what the link has decoded, rejected and lost so far.
void Station::ShowLinkStatistics() {
    linkStatistics.AskDriver(driver, link.DeviceHandle);
    char hint[kLinkHintCapacity];
    const std::size_t length = FormatLinkHint(linkStatistics.Counts(), hint);
    form.Label_Connection_Indicator.Hint.assign(hint, length);
}

}  // namespace ts
