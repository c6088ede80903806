#include "app/station.h"
#include "app/texts.h"

namespace ts {

namespace {

struct DeviceDetails {
    char serial[kSerialBufferSize] = {};
    char description[kDescriptionBufferSize] = {};
};

bool ReadDetails(Driver& driver, std::uint32_t index, DeviceDetails& details) {
    if (driver.GetDeviceInfoDetail(index, details.serial, details.description) != kFtOk) {
        return false;
    }
    // A driver that fills the buffers to the brim still yields a string.
    details.serial[kSerialBufferSize - 1] = '\0';
    details.description[kDescriptionBufferSize - 1] = '\0';
    return true;
}

}  // namespace

void Station::M_Menu_Setting_PortClick() {
    for (MenuItemState& item : form.M_Menu_Setting_Connection) {
        item.Visible = false;
        item.Caption.clear();
        item.Checked = false;
        item.Enabled = false;
    }

    std::uint32_t count = 0;
    if (driver.CreateDeviceInfoList(count) != kFtOk) return;
    if (count == 0) {
        ui.ShowMessage(text::kMsgNoDevices);
        return;
    }

    for (std::uint32_t i = 0; i < count && i < kMaxListedDevices; ++i) {
        DeviceDetails details;
        if (!ReadDetails(driver, i, details)) continue;
        MenuItemState& item = form.M_Menu_Setting_Connection[i];
        item.Caption = std::string(details.description) + "   " + details.serial;

        const bool inUse = link.DeviceHandle != 0 &&
                           link.DeviceDescription == details.description &&
                           link.DeviceSerial == details.serial;
        if (inUse) {
            // The device in use is never touched and cannot be chosen again.
            item.Checked = true;
        } else {
            // A trial open tells whether the device is free; the driver
            // refuses one that another program is using.
            FtHandle probe = 0;
            if (driver.Open(i, probe) == kFtOk) {
                item.Enabled = true;
                driver.Close(probe);
            }
        }
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

    DeviceDetails details;
    if (!ReadDetails(driver, static_cast<std::uint32_t>(index), details)) return;
    link.DeviceDescription = details.description;
    link.DeviceSerial = details.serial;

    OpenDevice(true);
    // Saved whether or not the open succeeded: the choice is kept.
    SaveSettings();
}

}  // namespace ts
