#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "app/form_binding.h"

class QAction;
class QMenu;
class QMenuBar;

namespace ts {

// The main window's menus, made from the window's description on the window's menu bar. A
// menu's opening and an item's choice are handed to the window; the mirror follows the model.
class MenuBar {
public:
    MenuBar(QMenuBar* bar, QObject* owner,
            const std::function<void(const layout::MenuEntry&)>& opened,
            const std::function<void(const layout::MenuItemEntry&)>& chosen);

    // Ties the menus to the model they show; Mirror then follows it.
    void Tie(const Form& form);
    // Copies the model to the menus, touching only what differs.
    void Mirror();

private:
    struct Item {
        const layout::MenuItemEntry* entry;
        QAction* action;
        FormTie tie;
        std::string shownCaption;  // the caption last set, so that an equal one costs nothing
    };
    struct Menu {
        const layout::MenuEntry* entry;
        QMenu* menu;
        FormTie title;
        std::vector<Item> items;
        std::string shownTitle;
    };
    std::vector<Menu> menus_;
};

}  // namespace ts
