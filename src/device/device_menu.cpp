#include "app/station.h"
#include "app/texts.h"
#include "device/device_list.h"

namespace ts {

void Station::M_Menu_Setting_PortClick() {
    for (MenuItemState& item : form.M_Menu_Setting_Connection) {
        item.Visible = false;
        item.Caption.clear();
        item.Checked = false;
        item.Enabled = false;
    }

    // The device in use is never touched and cannot be chosen again; a trial open tells
    // whether each other one is free.
    const DeviceListing listing =
        ListDevices(driver, [this](const std::string& description, const std::string& serial) {
            return link.DeviceHandle != 0 && link.DeviceDescription == description &&
                   link.DeviceSerial == serial;
        });
    if (!listing.listed) return;
    if (listing.count == 0) {
        ui.ShowMessage(text::kMsgNoDevices);
        return;
    }
    for (const ListedDevice& device : listing.devices) {
        MenuItemState& item = form.M_Menu_Setting_Connection[device.index];
        item.Caption = device.description + "   " + device.serial;
        item.Checked = device.inUse;
        item.Enabled = device.free;
        item.Visible = true;
    }
    link.DeviceNumber = 0;
}

void Station::M_Menu_Setting_ConnectionClick(int item) {
    if (item < 1 || item > kDeviceMenuItems) return;
    SelectDevice(item - 1);
    // A chosen device that stays silent is re-enumerated by the next
    // supervision tick.
    link.DeviceNumber = 0;
}

void Station::SelectDevice(int index) {
    if (index < 0) return;
    std::uint32_t count = 0;
    if (driver.CreateDeviceInfoList(count) != kFtOk) return;
    // The list may have become shorter since the menu was built.
    if (count < static_cast<std::uint32_t>(index) + 1) return;

    std::string description, serial;
    if (!ReadDeviceDetails(driver, static_cast<std::uint32_t>(index), description, serial)) return;
    link.DeviceDescription = description;
    link.DeviceSerial = serial;

    OpenDevice(true);
    // Saved whether or not the open succeeded: the choice is kept.
    SaveSettings();
}

}  // namespace ts
