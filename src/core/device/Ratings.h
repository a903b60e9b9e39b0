// Scales, minimum limits, rated values, model words, module configurations and the status byte.
#pragma once

#include <span>
#include <string_view>

namespace rir {

// Decimal codes of the identification reply; an unknown code is used as the scale itself.
int VoltScaleFromCode(int code);
int CurrScaleFromCode(int code);

// Lowest limits the station may send.
int VoltMinFor(int voltMax, int voltScale);
int CurrMinFor(int currMax);

// The rated value printed for a maximum: 95 % rounded, and 8 or 9 in the last digit raised to
// the next ten (the maker rounds its ratings that way).
int RatedValue(int raw, int scale);

struct ModelWords {
    std::string_view family;
    std::string_view extra; // empty for model 4; model 3 decides its own (see ModelExtraWord)
};
ModelWords ModelWordsFor(int model);

inline constexpr int MODEL_RS232 = 1;
inline constexpr int MODEL_TIMER_AMPERE = 2;
inline constexpr int MODEL_PROF_REVERSE = 3;
inline constexpr int MODEL_PROF = 4;
inline constexpr int MODEL_TFT = 6;

// Rows a module configuration puts on the page.
struct ModuleRows {
    bool timer = false;
    bool dailyCounter = false;
    bool totalCounter = false;
    bool reverse = false;
    bool watt = false;
    bool thermo = false;
};

struct ModuleConfigInfo {
    int code;
    std::string_view text; // as the module settings dialog lists it
    ModuleRows rows;
};

inline constexpr int CONFIG_NONE = 0;
inline constexpr int CONFIG_TIMER_COUNTER = 1;
inline constexpr int CONFIG_TIMER_REVERSE = 2;
inline constexpr int CONFIG_COUNTERS_DOSER = 3;
inline constexpr int CONFIG_COUNTER_TOTAL = 4;
inline constexpr int CONFIG_WATTMETER = 5;
inline constexpr int CONFIG_TWO_CHANNELS = 6;
inline constexpr int CONFIG_FULL = 9;

std::span<const ModuleConfigInfo> ModuleConfigTable();
// Nothing for a code the table does not list.
const ModuleConfigInfo* FindModuleConfig(int code);
// Configurations the module dialog offers a model.
std::span<const int> OfferedConfigs(int model, bool reverseCapable);

// Status byte: bit 0 output on; bit 1 set = current regulation.
constexpr bool StatusOutputOn(int status) {
    return (status & 0x01) != 0;
}
constexpr bool StatusVoltRegulation(int status) {
    return (status & 0x02) == 0;
}

} // namespace rir
