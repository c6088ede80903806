#include "menu_bar.h"

#include "platform/windows/wide_text.h"

namespace ts::win32 {

MenuBar::MenuBar(HWND window, int firstId) : window_(window), bar_(CreateMenu()) {
    int id = firstId;
    for (const layout::MenuEntry& entry : layout::MainWindowMenus()) {
        Menu menu{&entry, CreatePopupMenu(), id, {}, {}, entry.caption, {}, false};
        // Items tied to the model are made by the mirror, from the model.
        for (const layout::MenuItemEntry& item : entry.items) {
            if (item.field == layout::Field::None) {
                AppendMenuW(menu.popup, MF_STRING, static_cast<UINT_PTR>(id),
                            Widen(item.caption).c_str());
            }
            ++id;
        }
        AppendMenuW(bar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menu.popup),
                    Widen(entry.caption).c_str());
        menus_.push_back(std::move(menu));
    }
    SetMenu(window_, bar_);
}

void MenuBar::Tie(const Form& form) {
    for (Menu& menu : menus_) {
        menu.title = TieOf(form, menu.entry->field, 0);
        menu.items.clear();
        for (const layout::MenuItemEntry& item : menu.entry->items) {
            menu.items.push_back(TieOf(form, item.field, item.index));
        }
    }
}

void MenuBar::Mirror() {
    for (std::size_t m = 0; m < menus_.size(); ++m) {
        Menu& menu = menus_[m];
        if (menu.title.menuItem != nullptr && menu.shownTitle != menu.title.menuItem->Caption) {
            menu.shownTitle = menu.title.menuItem->Caption;
            ModifyMenuW(bar_, static_cast<UINT>(m), MF_BYPOSITION | MF_POPUP | MF_STRING,
                        reinterpret_cast<UINT_PTR>(menu.popup), Widen(menu.shownTitle).c_str());
            DrawMenuBar(window_);
        }
        MirrorItems(menu);
    }
}

void MenuBar::MirrorItems(Menu& menu) {
    if (menu.items.empty() || menu.items.front().menuItem == nullptr) return;
    bool same = menu.shown;
    for (std::size_t k = 0; same && k < menu.items.size(); ++k) {
        same = menu.shownItems[k] == *menu.items[k].menuItem;
    }
    if (same) return;
    while (GetMenuItemCount(menu.popup) > 0) DeleteMenu(menu.popup, 0, MF_BYPOSITION);
    menu.shownItems.clear();
    for (std::size_t k = 0; k < menu.items.size(); ++k) {
        const MenuItemState& state = *menu.items[k].menuItem;
        menu.shownItems.push_back(state);
        if (!state.Visible) continue;
        std::wstring caption = Widen(state.Caption);
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        // A bullet when checked, or a tick.
        item.fType =
            MFT_STRING | (menu.entry->items[k].mark == layout::Mark::Bullet ? MFT_RADIOCHECK : 0);
        item.fState = (state.Checked ? MFS_CHECKED : MFS_UNCHECKED) |
                      (state.Enabled ? MFS_ENABLED : MFS_DISABLED);
        item.wID = static_cast<UINT>(menu.firstId + static_cast<int>(k));
        item.dwTypeData = caption.data();
        InsertMenuItemW(menu.popup, static_cast<UINT>(GetMenuItemCount(menu.popup)), TRUE, &item);
    }
    menu.shown = true;
}

const layout::MenuItemEntry* MenuBar::ItemOf(int id) const {
    for (const Menu& menu : menus_) {
        const int k = id - menu.firstId;
        if (k >= 0 && k < static_cast<int>(menu.entry->items.size())) {
            return &menu.entry->items[static_cast<std::size_t>(k)];
        }
    }
    return nullptr;
}

const layout::MenuEntry* MenuBar::MenuOf(HMENU popup) const {
    for (const Menu& menu : menus_) {
        if (menu.popup == popup) return menu.entry;
    }
    return nullptr;
}

HMENU MenuBar::Popup(std::string_view name) const {
    for (const Menu& menu : menus_) {
        if (menu.entry->name == name) return menu.popup;
    }
    return nullptr;
}

}  // namespace ts::win32
