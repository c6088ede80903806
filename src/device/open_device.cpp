#include <cstring>

#include "base/texts.h"
#include "device/device_list.h"
#include "device/instrument_link.h"

namespace ts {

namespace {

// Index of the last of the first eight listed devices whose description and
// serial equal the wanted identity byte for byte, or -1.
int FindWantedDevice(Driver& driver, std::uint32_t count, const std::string& description,
                     const std::string& serial) {
    int found = -1;
    std::string listedDescription, listedSerial;
    for (std::uint32_t i = 0; i < count && i < kMaxListedDevices; ++i) {
        if (!ReadDeviceDetails(driver, i, listedDescription, listedSerial)) continue;
        // The search goes on after a match: of equal identities the last one wins.
        if (description == listedDescription && serial == listedSerial) {
            found = static_cast<int>(i);
        }
    }
    return found;
}

}  // namespace

bool InstrumentLink::Open(bool showMessages) {
    auto fail = [&](std::string_view message) {
        if (showMessages) ui_.ShowMessage(message);
        return false;
    };

    if (state_.DeviceHandle != 0) {
        // The driver counts losses per handle: what this one lost is asked for
        // before it goes.
        statistics_.AskDriver(driver_, state_.DeviceHandle);
        statistics_.HandleClosed();
        driver_.Close(state_.DeviceHandle);
    }
    state_.DeviceHandle = 0;
    // An instrument opened at the start or chosen from the menu is counted from
    // zero; the supervision's silent reopenings carry the counts on.
    if (showMessages) statistics_.Restart();
    // Bytes of the old connection must never be joined to the new one.
    state_.TailLength = 0;

    std::uint32_t count = 0;
    if (driver_.CreateDeviceInfoList(count) != kFtOk || count == 0) {
        return fail(text::kMsgDeviceNotFound);
    }
    const int found =
        FindWantedDevice(driver_, count, state_.DeviceDescription, state_.DeviceSerial);
    if (found < 0) return fail(text::kMsgDeviceNotFound);

    FtHandle handle = 0;
    if (driver_.Open(static_cast<std::uint32_t>(found), handle) != kFtOk) {
        return fail(text::kMsgOpenFailed);
    }
    state_.DeviceHandle = handle;

    // A refused step leaves the device open with what was applied so far; the
    // poll keeps reading from it.
    if (driver_.ResetDevice(handle) != kFtOk) return fail(text::kMsgResetFailed);
    if (driver_.SetBaudRate(handle, kInstrumentBaud) != kFtOk) return fail(text::kMsgBaudFailed);
    if (driver_.SetDataCharacteristics(handle, kBits8, kStopBits1, kParityNone) != kFtOk) {
        return fail(text::kMsgDataFormatFailed);
    }
    if (driver_.SetTimeouts(handle, 0, 0) != kFtOk) return fail(text::kMsgTimeoutsFailed);
    if (driver_.SetFlowControl(handle, kFlowNone, 0, 0) != kFtOk) {
        return fail(text::kMsgFlowFailed);
    }
    return true;
}

}  // namespace ts
