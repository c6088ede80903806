#include "menu_bar.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "qt_text.h"

namespace ts {

namespace {

// `shown` is the caption last set: the mirror runs on every tick, and an unchanged caption is
// then not converted for the toolkit.
void SetMenuItem(QAction* action, const MenuItemState& state, std::string& shown) {
    if (shown != state.Caption) {
        shown = state.Caption;
        const QString text = Q(state.Caption);
        if (action->text() != text) action->setText(text);
    }
    if (action->isChecked() != state.Checked) action->setChecked(state.Checked);
    if (action->isEnabled() != state.Enabled) action->setEnabled(state.Enabled);
    if (action->isVisible() != state.Visible) action->setVisible(state.Visible);
}

}  // namespace

MenuBar::MenuBar(QMenuBar* bar, QObject* owner,
                 const std::function<void(const layout::MenuEntry&)>& opened,
                 const std::function<void(const layout::MenuItemEntry&)>& chosen) {
    bar->setObjectName(Q(layout::MainWindow().menuBarName));
    for (const layout::MenuEntry& entry : layout::MainWindowMenus()) {
        Menu menu{&entry, bar->addMenu(Q(entry.caption)), {}, {}, std::string(entry.caption)};
        menu.menu->setObjectName(Q(entry.name));
        // Bullet items make one exclusive group per menu, which may also have none checked.
        QActionGroup* bullets = nullptr;
        for (const layout::MenuItemEntry& item : entry.items) {
            QAction* action = menu.menu->addAction(Q(item.caption));
            action->setObjectName(Q(item.name));
            if (item.mark == layout::Mark::Bullet) {
                if (bullets == nullptr) {
                    bullets = new QActionGroup(owner);
                    bullets->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
                }
                action->setCheckable(true);
                bullets->addAction(action);
            }
            QObject::connect(action, &QAction::triggered, owner, [chosen, &item] { chosen(item); });
            menu.items.push_back({&item, action, {}, std::string(item.caption)});
        }
        if (entry.onOpen != layout::Handler::None) {
            QObject::connect(menu.menu, &QMenu::aboutToShow, owner,
                             [opened, &entry] { opened(entry); });
        }
        menus_.push_back(std::move(menu));
    }
}

void MenuBar::Tie(const Form& form) {
    for (Menu& menu : menus_) {
        menu.title = TieOf(form, menu.entry->field, 0);
        for (Item& item : menu.items) item.tie = TieOf(form, item.entry->field, item.entry->index);
    }
}

void MenuBar::Mirror() {
    for (Menu& menu : menus_) {
        if (menu.title.menuItem != nullptr && menu.shownTitle != menu.title.menuItem->Caption) {
            menu.shownTitle = menu.title.menuItem->Caption;
            const QString title = Q(menu.shownTitle);
            if (menu.menu->title() != title) menu.menu->setTitle(title);
        }
        for (Item& item : menu.items) {
            if (item.tie.menuItem == nullptr) continue;
            // A tick item is checkable only while checked: a checkable item would show an empty
            // box when not, unlike the bullet items.
            if (item.entry->mark == layout::Mark::Tick &&
                item.action->isCheckable() != item.tie.menuItem->Checked) {
                item.action->setCheckable(item.tie.menuItem->Checked);
            }
            SetMenuItem(item.action, *item.tie.menuItem, item.shownCaption);
        }
    }
}

}  // namespace ts
