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

}  // namespace

std::unique_ptr<Control> MakeControl(ControlSet& set, const layout::ControlEntry& entry,
                                     Place place, ControlEvents events) {
    using layout::Kind;
    std::unique_ptr<Control> made;
    switch (entry.kind) {
        case Kind::Label: {
            auto label = std::make_unique<Label>();
            label->font = entry.font;
            label->backColor = entry.backColor;
            if (entry.fitsText) {
                const SIZE text = set.TextSize(entry.font, entry.caption);
                const int width = text.cx + 4, height = text.cy + 2;
                place = {place.x + (place.width - width) / 2, place.y + place.height / 2 - height,
                         width, height};
            }
            label->Create(set, entry.name, entry.caption, place, LabelStyle(entry));
            made = std::move(label);
            break;
        }
        case Kind::Button: {
            auto button = std::make_unique<PushButton>();
            button->font = entry.font;
            button->Create(set, entry.name, entry.caption, place, entry.colouredCaption);
            made = std::move(button);
            break;
        }
        case Kind::CheckBox:
        case Kind::RadioButton: {
            // A check box has ticked itself when it says so; a radio button waits for the model.
            std::unique_ptr<CheckBox> box;
            if (entry.kind == Kind::CheckBox) {
                box = std::make_unique<CheckBox>();
                box->Create(set, entry.name, entry.caption, place);
            } else {
                auto radio = std::make_unique<RadioButton>();
                radio->Create(set, entry.name, entry.caption, place);
                box = std::move(radio);
            }
            if (events.clicked) {
                box->onClick = [clicked = events.clicked, box = box.get()] {
                    clicked(box->Checked());
                };
            }
            made = std::move(box);
            break;
        }
        case Kind::GroupBox: {
            auto group = std::make_unique<GroupBox>();
            group->Create(set, entry.name, entry.caption, place);
            made = std::move(group);
            break;
        }
        case Kind::ComboBox: {
            auto box = std::make_unique<ComboBox>();
            box->Create(set, entry.name, place, kComboListHeight);
            for (const std::string& item : entry.items) box->AddItem(item);
            if (events.itemChosen) {
                box->onSelect = [chosen = events.itemChosen, box = box.get()] {
                    chosen(box->Index());
                };
                // Typed text never becomes an item; text that names no item selects nothing.
                box->onEdit = [chosen = events.itemChosen, box = box.get()] {
                    chosen(box->FindExact(box->EditText()));
                };
            }
            made = std::move(box);
            break;
        }
        case Kind::ColorSwatch: {
            auto swatch = std::make_unique<ColorSwatch>();
            swatch->Create(set, entry.name, place);
            made = std::move(swatch);
            break;
        }
        case Kind::ScrollBar: {
            auto bar = std::make_unique<ScrollBar>();
            bar->Create(set, entry.name, place);
            bar->onScroll = events.scrolled;
            made = std::move(bar);
            break;
        }
        case Kind::Chart:
        case Kind::ReviewChart:
            return nullptr;
    }
    // A label's click notification has the button's code: only buttons and swatches take one.
    if ((entry.kind == Kind::Button || entry.kind == Kind::ColorSwatch) && events.clicked) {
        made->onClick = [clicked = events.clicked] { clicked(false); };
    }
    if (!entry.hint.empty()) set.SetHint(*made, entry.hint);
    return made;
}

}  // namespace ts::win32
