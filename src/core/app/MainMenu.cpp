#include "app/MainMenu.h"

#include "bus/BusState.h"

namespace rir {

MainMenu::MainMenu() {
    // The keys are the ones desktop programs use for the like: open, save, quit, a new item,
    // refresh for the polling, help for the about box. "Удалить" has none: a supply's tab is
    // not to go by a slip of the fingers.
    popups_.push_back({"Файл",
                       {{ID_MENU_OPEN, "Открыть", false, true, "Ctrl+O"},
                        {ID_MENU_SAVE, "Сохранить", false, true, "Ctrl+S"},
                        {},
                        {ID_MENU_EXIT, "Выход", false, true, "Ctrl+Q"}}});
    popups_.push_back({"Устройства",
                       {{ID_MENU_ADD, "Добавить", false, true, "Ctrl+N"},
                        {ID_MENU_OVERVIEW, std::string(MENU_OVERVIEW), false, true, "F2"},
                        {},
                        {ID_MENU_DELETE, "Удалить"}}});
    MenuPopup port{"Com-порт",
                   {{ID_MENU_START_STOP, "Старт/стоп", false, true, "F5"},
                    {ID_MENU_FAST_POLL, std::string(MENU_FAST_POLL)},
                    {},
                    {ID_MENU_RTU, "Протокол RTU [1]"},
                    {ID_MENU_ASCII, "Протокол ASCII [2]"},
                    {ID_MENU_RS232, "Режим RS-232"},
                    {}}};
    for (const SpeedEntry& s : SpeedTable)
        port.items.push_back({s.menuId, std::string(s.menuText)});
    port.items.push_back({});
    port.items.push_back({ID_MENU_NETWORK_PORT, "Сетевой порт..."});
    port.items.push_back({});
    popups_.push_back(std::move(port));
    popups_.push_back({"Настройки",
                       {{ID_MENU_LOG_SCREEN, "Лог на экран", false, true, "Ctrl+L"},
                        {ID_MENU_LOG_FILE, "В файл"},
                        {ID_MENU_ALARM_BEEP, std::string(MENU_ALARM_BEEP), true}}});
    about_ = {ID_MENU_ABOUT, "О программе", false, true, "F1"};
}

MenuItem* MainMenu::FindMutable(int id) {
    if (id == ID_SEPARATOR)
        return nullptr;
    if (id == about_.id)
        return &about_;
    for (MenuPopup& p : popups_) {
        for (MenuItem& item : p.items) {
            if (item.id == id)
                return &item;
        }
    }
    return nullptr;
}

const MenuItem* MainMenu::Find(int id) const {
    return const_cast<MainMenu*>(this)->FindMutable(id);
}

bool MainMenu::Checked(int id) const {
    const MenuItem* item = Find(id);
    return item && item->checked;
}

bool MainMenu::Enabled(int id) const {
    const MenuItem* item = Find(id);
    return item && item->enabled;
}

void MainMenu::SetChecked(int id, bool checked) {
    if (MenuItem* item = FindMutable(id); item && item->checked != checked) {
        item->checked = checked;
        ++revision_;
    }
}

void MainMenu::SetEnabled(int id, bool enabled) {
    if (MenuItem* item = FindMutable(id); item && item->enabled != enabled) {
        item->enabled = enabled;
        ++revision_;
    }
}

void MainMenu::AppendPortItem(int index, std::string_view name) {
    if (index < 0 || index >= MAX_PORT_ITEMS)
        return;
    popups_[POPUP_PORT].items.push_back({ID_PORT_FIRST + index, "Порт " + std::string(name)});
    ++popups_[POPUP_PORT].structureRevision;
    ++revision_;
}

void MainMenu::InsertDeviceItem(int id, std::string_view text) {
    auto& items = popups_[POPUP_DEVICES].items;
    items.insert(items.end() - 2, MenuItem{id, std::string(text)});
    ++popups_[POPUP_DEVICES].structureRevision;
    ++revision_;
}

void MainMenu::RemoveItem(int id) {
    for (MenuPopup& p : popups_) {
        if (std::erase_if(p.items, [id](const MenuItem& i) { return i.id == id && id != ID_SEPARATOR; }) !=
            0) {
            ++p.structureRevision;
            ++revision_;
        }
    }
}

void MainMenu::CheckDeviceItem(int id) {
    for (MenuItem& item : popups_[POPUP_DEVICES].items) {
        const bool checked = item.id == id && id != ID_SEPARATOR;
        if (item.checked != checked) {
            item.checked = checked;
            ++revision_;
        }
    }
}

} // namespace rir
