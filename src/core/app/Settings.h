// What the station keeps between runs, and the order in which it is read from and written to
// the settings file. The main window's logic decides what the values mean.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "alarm/AlarmMonitor.h"
#include "app/WindowPlacement.h"
#include "bus/BusState.h"

namespace rir {

class ProfileStore;

inline constexpr std::string_view SETTINGS_SECTION = "RIR Control RS485";
inline constexpr std::string_view WINDOW_SECTION = "Window";
inline constexpr std::string_view OVERVIEW_SECTION = "Overview";
// 127 addresses, each with a possible second channel: the most tabs the station can hold.
inline constexpr int MAX_TAB_SECTIONS = 254;
// A tab's name is kept to this many bytes.
inline constexpr std::size_t MAX_TAB_NAME = 255;
// The area field holds a short number; anything longer in the file is cut to this.
inline constexpr std::size_t MAX_TAB_AREA = 32;

struct StoredSettings {
    struct Tab {
        Tab() = default;
        Tab(std::string name, int id, int channel, std::string area = {}, const AlarmSettings& alarms = {})
            : name(std::move(name)), id(id), channel(channel), area(std::move(area)), alarms(alarms) {}
        std::string name;     // "#5", "#5_2"
        int id = 0;           // the device address, 1..127
        int channel = 0;      // derived from the name when read; not written
        std::string area;     // "Area": the load's area as typed into the page, dm²; not written when ""
        AlarmSettings alarms; // the page's alarm settings; a file without them gives the defaults
        bool operator==(const Tab&) const = default;
    };
    // The line overview window: open at the last exit or not, its place on the desktop (-1: none
    // stored) and its column count (0: as many as its width takes).
    struct Overview {
        int open = 0; // exactly 1 means open
        int left = -1;
        int top = -1;
        int width = -1;
        int height = -1;
        int columns = 0;
        bool operator==(const Overview&) const = default;
    };

    std::string port;               // the port's name; "" when none was stored
    std::string protocol = "ASCII"; // "ASCII", "RTU" or "RS232"; anything else as stored
    int speed = 9600;               // baud
    int tabs = 0;                   // "Tabs" as read, within 0..MAX_TAB_SECTIONS
    int activeTab = 0;              // index of the selected tab + 1
    int logToScreen = 1;            // exactly 1 means on
    int logToFile = 0;              // exactly 1 means on
    int fastPoll = 0;               // exactly 1 means on; a file without it keeps the old timing
    int alarmBeep = 1;              // a new alarm beeps unless this is exactly 0
    // Fast polling: seconds between two module polls of a supply at least; a value outside
    // MIN_MODULE_INTERVAL_S..MAX_MODULE_INTERVAL_S reads as the default.
    int moduleInterval = DEFAULT_MODULE_INTERVAL_S;
    std::vector<Tab> tabSections;   // the tabs in order: read, only those with a usable Id
    WindowPlacement window;
    Overview overview;
};

// A settings file that is there but could not be read (%s: its path). The station then runs
// with the defaults and leaves the file as it is at close: it may hold a good set of settings
// that a passing fault (a full disk, a copy still under way) kept from being read.
inline constexpr std::string_view SETTINGS_TOO_LARGE =
    "Файл настроек %s больше 64 МБ и не прочитан! Программа работает с настройками по умолчанию, "
    "файл при выходе не перезаписывается.";
inline constexpr std::string_view SETTINGS_UNREADABLE =
    "Не удалось прочитать файл настроек %s! Программа работает с настройками по умолчанию, "
    "файл при выходе не перезаписывается.";

// What the start-up took from the settings file.
struct SettingsRead {
    StoredSettings settings;
    std::string problem;   // for the operator; empty when the file was read or is not there yet
    bool keepFile = false; // the file is there but was not read: the close does not write it
};
SettingsRead ReadSettingsFile(const ProfileStore& store);

// "Tab_%.2i": Tab_01 .. Tab_09, Tab_10 .. Tab_127.
std::string TabSectionName(int position);

// Channel 1 (a supply's second output) when the name has '_' after its first character.
int ChannelFromTabName(std::string_view name);

// Every value with its default when it is missing. Tab sections 1..Tabs are read in order;
// those whose Id is not a device address (1..127) are skipped.
StoredSettings ReadSettings(const ProfileStore& store);

// In this order: deletes the tab sections of every position, writes the main section ("Tabs"
// being the number of tab sections given), the window placement, then one section per tab
// (Name and Id). False when a value could not be stored; the rest is written all the same.
bool WriteSettings(ProfileStore& store, const StoredSettings& settings);

// Writes the settings and saves the file. Nothing when all went well; otherwise the message for
// the operator (the old file is then left as it was).
std::optional<std::string> SaveSettingsFile(ProfileStore& store, const StoredSettings& settings);

} // namespace rir
