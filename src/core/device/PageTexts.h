// Every text the device page shows, as pure functions of the values they show. Raw values are the
// supply's own units; a scale of 0 or below (possible only from a broken reply) is taken as 1
// wherever the page divides by it.
#pragma once

#include "device/DeviceState.h"

#include <optional>
#include <string>

namespace rir {

// A scale that is safe to divide by.
constexpr int UsableScale(int scale) {
    return scale > 0 ? scale : 1;
}

// The supply as its tab names it: "#15", its second channel "#15_2".
std::string SupplyCaption(int address, int channel);

// The identification line, "#%s  %s %iV %s %s", and what building it teaches about the supply.
struct Identification {
    std::string line;
    bool smallVariant = false;   // model 2 rated 1 A: shown as "1,5A", currents in thousandths
    bool reverseCapable = false; // model 3 rated 300 A or 150 A
};
Identification IdentificationFor(const DeviceState& s);

// The limit edits: volts with the supply's decimals, or a whole number of volts (amperes) where
// the scale is not a power of ten the limit parser reads decimals for.
std::string VoltEditText(int voltLimit, int voltScale);
std::string CurrEditText(int currLimit, int currScale);

// "measured / limit вольт" and "measured / limit ампер", with the decimals of the supply's
// resolution (ScaleDecimals).
std::string VoltReadingText(int voltMeas, int voltLimit, int voltScale);
std::string CurrReadingText(int currMeas, int currLimit, int currScale);

// Timer line.
std::string TimerValueText(int timerValue, bool negative, int moduleConfig);
std::string TimerLabelText(int timerMode, bool resetOnOff, int moduleConfig);

// Counter lines: the daily (or dosing) counter and, except on model 6, the accumulating one.
struct CounterTexts {
    std::string daily;
    std::optional<std::string> total;
};
CounterTexts CounterTextsFor(int model, int counterUnits, int counterDaily, int counterTotal);
// "САЧ дневной:" or "Дозатор [...]:" (configurations 1 and 3).
std::string DailyCounterLabel(int counterMode);
// "Счетчик" or "Дозатор [...]", " [сб]", ":" (configuration 9).
std::string CounterLabelText(int counterMode, bool resetOnOff);
inline constexpr const char* TOTAL_COUNTER_LABEL = "САЧ общий:";

// Reverse phases: "%i А (%i.%i с)" forward, "%i А (%i.%i c)" back.
std::string ReverseForwardText(int current, int tenths);
std::string ReverseBackText(int current, int tenths);

// Wattmeter: tenths of a watt in configuration 9, hundredths elsewhere.
std::string WattText(int wattRaw, int moduleConfig);
inline constexpr const char* WATTMETER_LABEL = "Ваттметр:";

// Thermometer or thermoregulator.
std::string ThermoLabelText(int thermoMode);
std::string ThermoValueText(int tempRaw, int thermoMode, int tempTargetRaw, int tempDeltaRaw);

} // namespace rir
