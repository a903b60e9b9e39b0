// The values the module settings dialog is opened with and hands back after "Установить".
#pragma once

#include "device/DeviceState.h"

namespace rir {

struct ModuleSetupValues {
    int modelCode = 0;           // decides the lists the dialog offers
    bool reverseCapable = false; // adds the reverse configuration (models 3 and 4)
    int moduleCode = 0;          // in: the configuration in force; out: the chosen one
    int timerMode = 0;           // 0 stopwatch, 1..3 timer variants
    int timerValue = 0;          // seconds
    bool resetOnOff = false;     // timer value reset on switch-off (configuration 9)
    int counterKind = 0;         // in: which counter the supply shows; out: the kind to send
    int counterMode = 0;         // in: the supply's counter mode (two low bits); out: the mode to send
    int counterValue = 0;        // dose in the chosen units
    int units = 0;               // 0 ampere-hours, 1 ampere-minutes, 2 watt-hours
    bool zeroing = false;      // model 6: counter reset on switch-off; others: zero the accumulating counter
    int forwardCurrent = 0;    // whole amperes
    int forwardTime = 0;       // tenths of a second
    int reverseCurrent = 0;    // whole amperes
    int reverseTime = 0;       // tenths of a second
    int thermoMode = 0;        // thermometer mode
    int targetTemperature = 0; // tenths of a degree plus 2000
    int temperatureDelta = 0;  // tenths of a degree
    friend bool operator==(const ModuleSetupValues&, const ModuleSetupValues&) = default;
};

// The dialog's values from the record, as the page's "Настройка модулей" opens it.
ModuleSetupValues ModuleSetupValuesFrom(const DeviceState& state);

} // namespace rir
