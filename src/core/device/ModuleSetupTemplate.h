// Dialog template 133, "Настройка модулей": its control ids, every control with its kind, its
// place in dialog pixels before the dialog's initialisation moves anything, and its template
// text; and the texts of its lists.
#pragma once

#include "device/PageTemplate.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rir {

inline constexpr int IDC_SETUP_MODULE = 1031; // combo "Текущий модуль:"

inline constexpr int IDC_SETUP_TIMER_GROUP = 1056; // also "Настройки отсутствуют"
inline constexpr int IDC_SETUP_TIMER_MODE_LABEL = 1030;
inline constexpr int IDC_SETUP_TIMER_MODE = 1027; // combo
inline constexpr int IDC_SETUP_TIMER_VALUE_LABEL = 1029;
inline constexpr int IDC_SETUP_TIMER_VALUE = 1032; // edit, seconds
inline constexpr int IDC_SETUP_TIMER_RESET_LABEL = 1063;
inline constexpr int IDC_SETUP_TIMER_RESET = 1064; // check box

inline constexpr int IDC_SETUP_COUNTER_GROUP = 1057; // also the reverse group
inline constexpr int IDC_SETUP_COUNTER_MODE_LABEL = 1033;
inline constexpr int IDC_SETUP_COUNTER_MODE = 1028; // combo
inline constexpr int IDC_SETUP_COUNTER_VALUE_LABEL = 1034;
inline constexpr int IDC_SETUP_COUNTER_VALUE = 1035; // edit, dose
inline constexpr int IDC_SETUP_UNITS_LABEL = 1061;
inline constexpr int IDC_SETUP_UNITS = 1062; // combo
inline constexpr int IDC_SETUP_ZEROING_LABEL = 1059;
inline constexpr int IDC_SETUP_ZEROING = 1060; // check box

inline constexpr int IDC_SETUP_FWD_CURRENT_LABEL = 1065;
inline constexpr int IDC_SETUP_FWD_TIME_LABEL = 1066;
inline constexpr int IDC_SETUP_BACK_CURRENT_LABEL = 1071;
inline constexpr int IDC_SETUP_BACK_TIME_LABEL = 1067;
inline constexpr int IDC_SETUP_FWD_CURRENT = 1072;  // edit "Прямой ток, А:"
inline constexpr int IDC_SETUP_BACK_CURRENT = 1068; // edit "Обратный ток, А:"
inline constexpr int IDC_SETUP_FWD_TIME = 1069;     // edit, first "Время, с:"
inline constexpr int IDC_SETUP_BACK_TIME = 1070;    // edit, second "Время, с:"

inline constexpr int IDC_SETUP_THERMO_GROUP = 1058;
inline constexpr int IDC_SETUP_THERMO_MODE_LABEL = 1037;
inline constexpr int IDC_SETUP_THERMO_MODE = 1036; // combo
inline constexpr int IDC_SETUP_TARGET_LABEL = 1038;
inline constexpr int IDC_SETUP_TARGET = 1039; // edit, "25.5"
inline constexpr int IDC_SETUP_DELTA_LABEL = 1040;
inline constexpr int IDC_SETUP_DELTA = 1041; // edit, "1.5"

// The controls of each settings group, the group box apart.
inline constexpr std::array SETUP_TIMER_CONTROLS{IDC_SETUP_TIMER_MODE_LABEL,  IDC_SETUP_TIMER_MODE,
                                                 IDC_SETUP_TIMER_VALUE_LABEL, IDC_SETUP_TIMER_VALUE,
                                                 IDC_SETUP_TIMER_RESET_LABEL, IDC_SETUP_TIMER_RESET};
inline constexpr std::array SETUP_COUNTER_CONTROLS{IDC_SETUP_COUNTER_MODE_LABEL,  IDC_SETUP_COUNTER_MODE,
                                                   IDC_SETUP_COUNTER_VALUE_LABEL, IDC_SETUP_COUNTER_VALUE,
                                                   IDC_SETUP_UNITS_LABEL,         IDC_SETUP_UNITS,
                                                   IDC_SETUP_ZEROING_LABEL,       IDC_SETUP_ZEROING};
inline constexpr std::array SETUP_REVERSE_CONTROLS{IDC_SETUP_FWD_CURRENT_LABEL,  IDC_SETUP_FWD_TIME_LABEL,
                                                   IDC_SETUP_BACK_CURRENT_LABEL, IDC_SETUP_BACK_TIME_LABEL,
                                                   IDC_SETUP_FWD_CURRENT,        IDC_SETUP_BACK_CURRENT,
                                                   IDC_SETUP_FWD_TIME,           IDC_SETUP_BACK_TIME};
inline constexpr std::array SETUP_THERMO_CONTROLS{IDC_SETUP_THERMO_MODE_LABEL, IDC_SETUP_THERMO_MODE,
                                                  IDC_SETUP_TARGET_LABEL,      IDC_SETUP_TARGET,
                                                  IDC_SETUP_DELTA_LABEL,       IDC_SETUP_DELTA};

enum class SetupControlKind { GroupBox, Label, Edit, ComboBox, CheckBox, Button };

struct SetupControl {
    int id;
    SetupControlKind kind;
    PixelRect rect;
    std::string_view text; // UTF-8
    bool shown = true;
};

inline constexpr int SETUP_TEMPLATE_WIDTH = 450;
inline constexpr int SETUP_TEMPLATE_HEIGHT = 455;

std::span<const SetupControl> ModuleSetupTemplate();
// Nothing for an id the template does not hold (and for IDC_STATIC).
const SetupControl* FindSetupControl(int id);

// The configurations combo 1031 offers come from OfferedConfigs and ModuleConfigTable.
// Fixed lists: timer modes (combo 1027), units (1062), thermometer modes (1036).
std::vector<std::string> TimerModeList();
std::vector<std::string> UnitsList(int model);
std::vector<std::string> ThermoModeList();
// The counter modes (combo 1028) of a configuration on a model; empty where it offers none.
std::vector<std::string> CounterModeList(int module, int model);

} // namespace rir
