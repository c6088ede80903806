#include "base/texts.h"
#include "device/device_list.h"
#include "device/instrument_link.h"

namespace ts {

void InstrumentLink::BuildDeviceMenu() {
    for (MenuItemState& item : form_.M_Menu_Setting_Connection) {
        item.Visible = false;
        item.Caption.clear();
        item.Checked = false;
        item.Enabled = false;
    }

    // The device in use is never touched and cannot be chosen again; a trial open tells
    // whether each other one is free.
    const DeviceListing listing =
        ListDevices(driver_, [this](const std::string& description, const std::string& serial) {
            return state_.DeviceHandle != 0 && state_.DeviceDescription == description &&
                   state_.DeviceSerial == serial;
        });
    if (!listing.listed) return;
    if (listing.count == 0) {
        ui_.ShowMessage(text::kMsgNoDevices);
        return;
    }
    for (const ListedDevice& device : listing.devices) {
        MenuItemState& item = form_.M_Menu_Setting_Connection[device.index];
        item.Caption = device.description + "   " + device.serial;
        item.Checked = device.inUse;
        item.Enabled = device.free;
        item.Visible = true;
    }
    state_.DeviceNumber = 0;
}

void InstrumentLink::ChooseDevice(int item) {
    if (item < 1 || item > kDeviceMenuItems) return;
    SelectDevice(item - 1);
    // A chosen device that stays silent is re-enumerated by the next
    // supervision tick.
    state_.DeviceNumber = 0;
}

void InstrumentLink::SelectDevice(int index) {
    if (index < 0) return;
    std::uint32_t count = 0;
    if (driver_.CreateDeviceInfoList(count) != kFtOk) return;
    // The list may have become shorter since the menu was built.
    if (count < static_cast<std::uint32_t>(index) + 1) return;

    std::string description, serial;
    if (!ReadDeviceDetails(driver_, static_cast<std::uint32_t>(index), description, serial)) return;
    state_.DeviceDescription = description;
    state_.DeviceSerial = serial;

    Open(true);
    // Kept whether or not the open succeeded: the choice is the user's.
    events_->DeviceChosen();
}

}  // namespace ts
