#include "app/print_bridges.h"

#include "base/texts.h"
#include "base/ui_port.h"
#include "device/device_list.h"

namespace ts {

int PrintBridges(Driver& driver, Ui& ui, std::FILE* out, std::FILE* notes) {
    // Nothing of ours is open, so every bridge is probed.
    const DeviceListing listing = ListDevices(driver, {});
    if (!listing.listed) {
        std::fputs("trend-record: the USB bridges cannot be listed\n", notes);
        return 1;
    }
    if (listing.count == 0) {
        ui.ShowMessage(text::kMsgNoDevices);
        return 0;
    }
    for (const ListedDevice& device : listing.devices) {
        std::fprintf(out, "%s   %s%s\n", device.description.c_str(), device.serial.c_str(),
                     device.free ? "" : "   (held by another program)");
    }
    if (listing.unreadable > 0) {
        // Reading the strings needs access to the device: the udev rule is the usual cure.
        std::fprintf(notes,
                     "trend-record: %d more bridge(s) whose description and serial cannot be "
                     "read (no access to the device?)\n",
                     listing.unreadable);
    }
    return 0;
}

}  // namespace ts
