#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/form_binding.h"
#include "win32.h"

namespace ts::win32 {

// The main window's menus, made from the window's description: the bar, a drop-down menu for
// each of its menus, and the items the model shows, made afresh whenever it changes them (a
// menu has no hidden items). Item identifiers are numbered from `firstId` in the description's
// order.
class MenuBar {
public:
    MenuBar(HWND window, int firstId);
    MenuBar(const MenuBar&) = delete;
    MenuBar& operator=(const MenuBar&) = delete;

    // Ties the menus to the model they show; Mirror then follows it.
    void Tie(const Form& form);
    // Copies the model to the menus, touching only what differs.
    void Mirror();
    // The item a menu command names, or null.
    const layout::MenuItemEntry* ItemOf(int id) const;
    // The menu whose drop-down `popup` is, or null.
    const layout::MenuEntry* MenuOf(HMENU popup) const;
    // The drop-down of the menu named so, or null.
    HMENU Popup(std::string_view name) const;

private:
    struct Menu {
        const layout::MenuEntry* entry;
        HMENU popup;
        int firstId;
        FormTie title;
        std::vector<FormTie> items;
        // What the menu shows now, so that it is made afresh only when the model differs.
        std::string shownTitle;
        std::vector<MenuItemState> shownItems;
        bool shown = false;
    };
    void MirrorItems(Menu& menu);

    HWND window_;
    HMENU bar_;
    std::vector<Menu> menus_;
};

}  // namespace ts::win32
