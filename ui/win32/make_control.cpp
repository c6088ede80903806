#include <utility>

#include "controls.h"

namespace ts::win32 {

namespace {

DWORD LabelStyle(const layout::ControlEntry& entry) {
    DWORD style = entry.align == layout::Align::Right    ? SS_RIGHT
                  : entry.align == layout::Align::Centre ? SS_CENTER
                                                         : SS_LEFTNOWORDWRAP;
    if (entry.middle) style |= SS_CENTERIMAGE;
    if (entry.sunken) style |= SS_SUNKEN;
    return style;
}

// The room a drop-down list takes below its box.
constexpr int kComboListHeight = 200;

std::unique_ptr<Control> MakeLabel(ControlSet& set, const layout::ControlEntry& entry,
                                   Place place) {
    auto label = std::make_unique<Label>();
    label->font = entry.font;
    label->backColor = entry.backColor;
    if (entry.fitsText) {
        const SIZE text = set.TextSize(entry.font, entry.caption);
        const int width = text.cx + 4, height = text.cy + 2;
        place = {place.x + (place.width - width) / 2, place.y + place.height / 2 - height, width,
                 height};
    }
    label->Create(set, entry.name, entry.caption, place, LabelStyle(entry));
    return label;
}

std::unique_ptr<Control> MakeButton(ControlSet& set, const layout::ControlEntry& entry,
                                    Place place) {
    auto button = std::make_unique<PushButton>();
    button->font = entry.font;
    button->Create(set, entry.name, entry.caption, place, entry.colouredCaption);
    return button;
}

// A check box has ticked itself when it says so; a radio button waits for the model.
std::unique_ptr<Control> MakeCheckable(ControlSet& set, const layout::ControlEntry& entry,
                                       Place place, const std::function<void(bool)>& clicked) {
    std::unique_ptr<CheckBox> box;
    if (entry.kind == layout::Kind::CheckBox) {
        box = std::make_unique<CheckBox>();
        box->Create(set, entry.name, entry.caption, place);
    } else {
        auto radio = std::make_unique<RadioButton>();
        radio->Create(set, entry.name, entry.caption, place);
        box = std::move(radio);
    }
    if (clicked) box->onClick = [clicked, box = box.get()] { clicked(box->Checked()); };
    return box;
}

std::unique_ptr<Control> MakeGroupBox(ControlSet& set, const layout::ControlEntry& entry,
                                      Place place) {
    auto group = std::make_unique<GroupBox>();
    group->Create(set, entry.name, entry.caption, place);
    return group;
}

std::unique_ptr<Control> MakeComboBox(ControlSet& set, const layout::ControlEntry& entry,
                                      Place place, const std::function<void(int)>& chosen) {
    auto box = std::make_unique<ComboBox>();
    box->Create(set, entry.name, place, kComboListHeight);
    for (const std::string& item : entry.items) box->AddItem(item);
    if (chosen) {
        box->onSelect = [chosen, box = box.get()] { chosen(box->Index()); };
        // Typed text never becomes an item; text that names no item selects nothing.
        box->onEdit = [chosen, box = box.get()] { chosen(box->FindExact(box->EditText())); };
    }
    return box;
}

std::unique_ptr<Control> MakeColorSwatch(ControlSet& set, const layout::ControlEntry& entry,
                                         Place place) {
    auto swatch = std::make_unique<ColorSwatch>();
    swatch->Create(set, entry.name, place);
    return swatch;
}

std::unique_ptr<Control> MakeScrollBar(ControlSet& set, const layout::ControlEntry& entry,
                                       Place place, const std::function<void(int)>& scrolled) {
    auto bar = std::make_unique<ScrollBar>();
    bar->Create(set, entry.name, place);
    bar->onScroll = scrolled;
    return bar;
}

// The control of the entry's kind, its own events handed on; null for a chart.
std::unique_ptr<Control> MakeOfKind(ControlSet& set, const layout::ControlEntry& entry, Place place,
                                    const ControlEvents& events) {
    using layout::Kind;
    switch (entry.kind) {
        case Kind::Label:
            return MakeLabel(set, entry, place);
        case Kind::Button:
            return MakeButton(set, entry, place);
        case Kind::CheckBox:
        case Kind::RadioButton:
            return MakeCheckable(set, entry, place, events.clicked);
        case Kind::GroupBox:
            return MakeGroupBox(set, entry, place);
        case Kind::ComboBox:
            return MakeComboBox(set, entry, place, events.itemChosen);
        case Kind::ColorSwatch:
            return MakeColorSwatch(set, entry, place);
        case Kind::ScrollBar:
            return MakeScrollBar(set, entry, place, events.scrolled);
        case Kind::Chart:
        case Kind::ReviewChart:
            break;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Control> MakeControl(ControlSet& set, const layout::ControlEntry& entry,
                                     Place place, ControlEvents events) {
    using layout::Kind;
    std::unique_ptr<Control> made = MakeOfKind(set, entry, place, events);
    if (made == nullptr) return nullptr;
    // A label's click notification has the button's code: only buttons and swatches take one.
    if ((entry.kind == Kind::Button || entry.kind == Kind::ColorSwatch) && events.clicked) {
        made->onClick = [clicked = events.clicked] { clicked(false); };
    }
    if (!entry.hint.empty()) set.SetHint(*made, entry.hint);
    return made;
}

}  // namespace ts::win32
