// The main window's menu as data: popups of items with their ids, texts, checks and greying.
// The station changes it; the Qt window mirrors it onto its menu bar.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bus/Framing.h"

namespace rir {

inline constexpr int ID_MENU_EXIT = 32771;
inline constexpr int ID_MENU_ASCII = 32774;
inline constexpr int ID_MENU_RTU = 32775;
inline constexpr int ID_MENU_START_STOP = 32776;
inline constexpr int ID_MENU_SPEED_FIRST = 32777; // "110 бод [1]" .. "56000 бод [11]" = 32787
inline constexpr int ID_MENU_SPEED_LAST = 32787;
inline constexpr int ID_MENU_ABOUT = 32788;
inline constexpr int ID_MENU_ADD = 32789;
inline constexpr int ID_MENU_DELETE = 32790;
inline constexpr int ID_MENU_SAVE = 32791;
inline constexpr int ID_MENU_OPEN = 32792;
inline constexpr int ID_MENU_RS232 = 32793;
inline constexpr int ID_MENU_LOG_SCREEN = 32795;
inline constexpr int ID_MENU_LOG_FILE = 32796;
// "Быстрый опрос": replies end as soon as they are whole (the template's ids end at 32796).
inline constexpr int ID_MENU_FAST_POLL = 32797;
inline constexpr std::string_view MENU_FAST_POLL = "Быстрый опрос";
// "Обзор линии" (the window's own: it opens the overview) and the alarms' beep in "Настройки".
inline constexpr int ID_MENU_OVERVIEW = 32798;
inline constexpr std::string_view MENU_OVERVIEW = "Обзор линии";
inline constexpr int ID_MENU_ALARM_BEEP = 32799;
inline constexpr std::string_view MENU_ALARM_BEEP = "Звук при тревоге";
// "Сетевой порт...": a bus behind a serial-to-Ethernet gateway.
inline constexpr int ID_MENU_NETWORK_PORT = 32800;
inline constexpr int ID_PORT_FIRST = 1000;   // port item k has id 1000 + k
inline constexpr int ID_DEVICE_FIRST = 2000; // device item: 2000 + channel * 127 + address
inline constexpr int ID_DEVICE_LAST = 2254;
inline constexpr int MAX_PORT_ITEMS = 1000; // port ids must stay below the device ids

inline constexpr int ID_SEPARATOR = 0;

inline constexpr int MAX_DEVICE_ADDRESS_ID = 127;

// The protocol menu's item of each framing, and the framing of an item.
constexpr int FramingMenuId(Framing framing) {
    switch (framing) {
    case Framing::Rtu:
        return ID_MENU_RTU;
    case Framing::Ascii:
        return ID_MENU_ASCII;
    case Framing::Rs232:
        return ID_MENU_RS232;
    }
    return ID_MENU_ASCII;
}
constexpr std::optional<Framing> MenuFraming(int menuId) {
    for (const FramingName& n : FRAMING_NAMES) {
        if (FramingMenuId(n.framing) == menuId)
            return n.framing;
    }
    return std::nullopt;
}

constexpr int DeviceMenuId(int address, int channel) {
    return ID_DEVICE_FIRST + channel * MAX_DEVICE_ADDRESS_ID + address;
}

// The page a device item stands for: its address and channel.
struct DeviceOfMenu {
    int address;
    int channel;
};
constexpr DeviceOfMenu DeviceOfMenuId(int id) {
    const int n = id - ID_DEVICE_FIRST;
    return n <= MAX_DEVICE_ADDRESS_ID ? DeviceOfMenu{n, 0} : DeviceOfMenu{n - MAX_DEVICE_ADDRESS_ID, 1};
}

struct MenuItem {
    int id = ID_SEPARATOR; // 0: a separator
    std::string text;
    bool checked = false;
    bool enabled = true;
    // The item's key in the portable form ("Ctrl+O", "F5"); empty: none. The menu shows it
    // beside the text. None of them is a key the limit edits take for themselves.
    std::string shortcut = {};
};

struct MenuPopup {
    std::string title;
    std::vector<MenuItem> items;
    unsigned structureRevision = 0; // bumped when items are added to or removed from this popup
};

// Popup positions on the menu bar.
inline constexpr int POPUP_FILE = 0;
inline constexpr int POPUP_DEVICES = 1;
inline constexpr int POPUP_PORT = 2;
inline constexpr int POPUP_SETTINGS = 3;

class MainMenu {
public:
    // The menu bar as the window starts: "Файл", "Устройства", "Com-порт", "Настройки", then
    // the bar's own item "О программе".
    MainMenu();

    const std::vector<MenuPopup>& popups() const { return popups_; }
    const MenuItem& aboutItem() const { return about_; }

    // Nothing when no item has the id.
    const MenuItem* Find(int id) const;
    bool Checked(int id) const;
    bool Enabled(int id) const;
    void SetChecked(int id, bool checked);
    void SetEnabled(int id, bool enabled);

    void AppendPortItem(int index, std::string_view name);
    // Device items go before the last two items of "Устройства" (a separator and "Удалить").
    void InsertDeviceItem(int id, std::string_view text);
    void RemoveItem(int id);
    // Unchecks every item of "Устройства" by position, then checks `id` (if present).
    void CheckDeviceItem(int id);

    // Bumped on every change of a text, check or enabling: a view whose copy is of an older
    // revision applies the items anew.
    unsigned revision() const { return revision_; }

private:
    MenuItem* FindMutable(int id);
    std::vector<MenuPopup> popups_;
    MenuItem about_;
    unsigned revision_ = 0;
};

} // namespace rir
