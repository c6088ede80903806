#pragma once

namespace ts {

// What the link tells the rest of the program; the wiring decides what follows.
class LinkEvents {
public:
    // A frame of another instrument came: its data is no measurement of ours, and there is
    // nothing to show in its place until the link falls silent.
    virtual void WrongInstrument() = 0;
    // No valid frame for a while (told on every silent tick until one comes): whatever
    // another instrument barred is open again.
    virtual void LinkSilent() = 0;
    // The user chose a device from the menu; the choice is to be kept.
    virtual void DeviceChosen() = 0;

protected:
    ~LinkEvents() = default;
};

}  // namespace ts
