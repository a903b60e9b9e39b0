#include "app/Settings.h"

#include "alarm/AlarmSetup.h"
#include "app/ProfileStore.h"

#include <algorithm>

namespace rir {
namespace {

constexpr int MAX_DEVICE_ADDRESS = 127;

// Cut to at most `limit` bytes without splitting a UTF-8 character.
std::string LimitedName(std::string_view name, std::size_t limit) {
    if (name.size() <= limit)
        return std::string(name);
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
        --end;
    return std::string(name.substr(0, end));
}

// The alarm values of a tab's section; none of them is there in a file of an older station.
AlarmSettings ReadTabAlarms(const ProfileStore& store, const std::string& section) {
    StoredAlarmTexts t;
    t.tolerance = store.GetString(section, KEY_ALARM_TOLERANCE, "");
    t.delay = store.GetString(section, KEY_ALARM_DELAY, "");
    t.tempLow = store.GetString(section, KEY_ALARM_TEMP_LOW, "");
    t.tempHigh = store.GetString(section, KEY_ALARM_TEMP_HIGH, "");
    t.linkErrors = store.GetString(section, KEY_ALARM_LINK_ERRORS, "");
    t.pause = store.GetString(section, KEY_ALARM_PAUSE, "");
    return AlarmSettingsFromStored(t);
}

bool WriteTabAlarms(ProfileStore& store, const std::string& section, const AlarmSettings& a) {
    const AlarmSetupTexts t = AlarmSetupTextsOf(a);
    bool ok = store.WriteString(section, KEY_ALARM_TOLERANCE, t.tolerance);
    ok &= store.WriteString(section, KEY_ALARM_DELAY, t.delay);
    ok &= store.WriteString(section, KEY_ALARM_TEMP_LOW, t.tempLow);
    ok &= store.WriteString(section, KEY_ALARM_TEMP_HIGH, t.tempHigh);
    ok &= store.WriteString(section, KEY_ALARM_LINK_ERRORS, t.linkErrors);
    ok &= store.WriteInt(section, KEY_ALARM_PAUSE, a.pauseProgram ? 1 : 0);
    return ok;
}

} // namespace

std::string TabSectionName(int position) {
    std::string digits = std::to_string(position);
    if (position >= 0 && digits.size() < 2)
        digits.insert(0, "0");
    return "Tab_" + digits;
}

int ChannelFromTabName(std::string_view name) {
    return name.find('_', 1) != name.npos ? 1 : 0;
}

StoredSettings ReadSettings(const ProfileStore& store) {
    StoredSettings s;
    const StoredSettings defaults;
    s.port = store.GetString(SETTINGS_SECTION, "Port", defaults.port);
    s.protocol = store.GetString(SETTINGS_SECTION, "Protocol", defaults.protocol);
    s.speed = store.GetInt(SETTINGS_SECTION, "Speed", defaults.speed);
    s.activeTab = store.GetInt(SETTINGS_SECTION, "ActiveTab", defaults.activeTab);
    s.logToScreen = store.GetInt(SETTINGS_SECTION, "LogToScreen", defaults.logToScreen);
    s.logToFile = store.GetInt(SETTINGS_SECTION, "LogToFile", defaults.logToFile);
    s.fastPoll = store.GetInt(SETTINGS_SECTION, "FastPoll", defaults.fastPoll);
    s.alarmBeep = store.GetInt(SETTINGS_SECTION, "AlarmBeep", defaults.alarmBeep);
    s.moduleInterval = store.GetInt(SETTINGS_SECTION, "ModuleInterval", defaults.moduleInterval);
    if (s.moduleInterval < MIN_MODULE_INTERVAL_S || s.moduleInterval > MAX_MODULE_INTERVAL_S)
        s.moduleInterval = defaults.moduleInterval;

    // A damaged or hand-edited count must not send the reader through millions of sections.
    s.tabs = std::clamp(store.GetInt(SETTINGS_SECTION, "Tabs", defaults.tabs), 0, MAX_TAB_SECTIONS);
    for (int i = 1; i <= s.tabs; ++i) {
        const std::string section = TabSectionName(i);
        const int id = store.GetInt(section, "Id", 0);
        if (id < 1 || id > MAX_DEVICE_ADDRESS)
            continue;
        std::string name = LimitedName(store.GetString(section, "Name", ""), MAX_TAB_NAME);
        const int channel = ChannelFromTabName(name);
        s.tabSections.push_back({std::move(name), id, channel,
                                 LimitedName(store.GetString(section, "Area", ""), MAX_TAB_AREA),
                                 ReadTabAlarms(store, section)});
    }

    const WindowPlacement none;
    s.window.status = store.GetInt(WINDOW_SECTION, "Status", none.status);
    s.window.top = store.GetInt(WINDOW_SECTION, "Top", none.top);
    s.window.bottom = store.GetInt(WINDOW_SECTION, "Bottom", none.bottom);
    s.window.right = store.GetInt(WINDOW_SECTION, "Right", none.right);
    s.window.left = store.GetInt(WINDOW_SECTION, "Left", none.left);

    const StoredSettings::Overview closed;
    s.overview.open = store.GetInt(OVERVIEW_SECTION, "Open", closed.open);
    s.overview.left = store.GetInt(OVERVIEW_SECTION, "Left", closed.left);
    s.overview.top = store.GetInt(OVERVIEW_SECTION, "Top", closed.top);
    s.overview.width = store.GetInt(OVERVIEW_SECTION, "Width", closed.width);
    s.overview.height = store.GetInt(OVERVIEW_SECTION, "Height", closed.height);
    s.overview.columns = store.GetInt(OVERVIEW_SECTION, "Columns", closed.columns);
    return s;
}

SettingsRead ReadSettingsFile(const ProfileStore& store) {
    SettingsRead read;
    read.settings = ReadSettings(store);
    std::string_view format;
    switch (store.loadResult()) {
    case ProfileStore::LoadResult::Loaded:
    case ProfileStore::LoadResult::Missing:
        return read;
    case ProfileStore::LoadResult::TooLarge:
        format = SETTINGS_TOO_LARGE;
        break;
    case ProfileStore::LoadResult::Unreadable:
        format = SETTINGS_UNREADABLE;
        break;
    }
    read.keepFile = true;
    read.problem = std::string(format);
    const std::size_t at = read.problem.find("%s");
    read.problem.replace(at, 2, store.path().string());
    return read;
}

bool WriteSettings(ProfileStore& store, const StoredSettings& settings) {
    // Every position, so no section of an earlier run with more tabs survives.
    for (int i = 1; i <= MAX_TAB_SECTIONS; ++i)
        store.DeleteSection(TabSectionName(i));

    const int tabCount =
        static_cast<int>(std::min<std::size_t>(settings.tabSections.size(), MAX_TAB_SECTIONS));
    bool ok = true;
    ok &= store.WriteString(SETTINGS_SECTION, "Port", settings.port);
    ok &= store.WriteString(SETTINGS_SECTION, "Protocol", settings.protocol);
    ok &= store.WriteInt(SETTINGS_SECTION, "Speed", settings.speed);
    ok &= store.WriteInt(SETTINGS_SECTION, "Tabs", tabCount);
    ok &= store.WriteInt(SETTINGS_SECTION, "ActiveTab", settings.activeTab);
    ok &= store.WriteInt(SETTINGS_SECTION, "LogToScreen", settings.logToScreen);
    ok &= store.WriteInt(SETTINGS_SECTION, "LogToFile", settings.logToFile);
    ok &= store.WriteInt(SETTINGS_SECTION, "FastPoll", settings.fastPoll);
    ok &= store.WriteInt(SETTINGS_SECTION, "AlarmBeep", settings.alarmBeep);
    ok &= store.WriteInt(SETTINGS_SECTION, "ModuleInterval", settings.moduleInterval);

    ok &= store.WriteInt(WINDOW_SECTION, "Status", settings.window.status);
    ok &= store.WriteInt(WINDOW_SECTION, "Top", settings.window.top);
    ok &= store.WriteInt(WINDOW_SECTION, "Left", settings.window.left);
    ok &= store.WriteInt(WINDOW_SECTION, "Bottom", settings.window.bottom);
    ok &= store.WriteInt(WINDOW_SECTION, "Right", settings.window.right);

    ok &= store.WriteInt(OVERVIEW_SECTION, "Open", settings.overview.open);
    ok &= store.WriteInt(OVERVIEW_SECTION, "Left", settings.overview.left);
    ok &= store.WriteInt(OVERVIEW_SECTION, "Top", settings.overview.top);
    ok &= store.WriteInt(OVERVIEW_SECTION, "Width", settings.overview.width);
    ok &= store.WriteInt(OVERVIEW_SECTION, "Height", settings.overview.height);
    ok &= store.WriteInt(OVERVIEW_SECTION, "Columns", settings.overview.columns);

    for (int k = 1; k <= tabCount; ++k) {
        const auto& tab = settings.tabSections[static_cast<std::size_t>(k - 1)];
        const std::string section = TabSectionName(k);
        ok &= store.WriteString(section, "Name", LimitedName(tab.name, MAX_TAB_NAME));
        ok &= store.WriteInt(section, "Id", tab.id);
        if (!tab.area.empty())
            ok &= store.WriteString(section, "Area", LimitedName(tab.area, MAX_TAB_AREA));
        ok &= WriteTabAlarms(store, section, tab.alarms);
    }
    return ok;
}

std::optional<std::string> SaveSettingsFile(ProfileStore& store, const StoredSettings& settings) {
    WriteSettings(store, settings);
    if (store.Save())
        return std::nullopt;
    return "Не удалось сохранить настройки в файл " + store.path().string() + "!";
}

} // namespace rir
