#include "device/Ratings.h"

#include <array>
#include <cmath>

namespace rir {

int VoltScaleFromCode(int code) {
    switch (code) {
    case 0:
        return 100;
    case 1:
        return 10;
    case 2:
        return 1;
    default:
        return code;
    }
}

int CurrScaleFromCode(int code) {
    switch (code) {
    case 0:
        return 100;
    case 1:
        return 10;
    case 2:
        return 1;
    case 3:
        return 1000;
    default:
        return code;
    }
}

int VoltMinFor(int voltMax, int voltScale) {
    if (voltMax == 4200)
        return 40;
    return voltScale == 10 ? 5 : 50;
}

int CurrMinFor(int currMax) {
    return currMax / 100;
}

int RatedValue(int raw, int scale) {
    // A scale of 0 can only come from a broken identification reply; show the raw value rather
    // than divide by zero.
    const double divisor = scale == 0 ? 1.0 : static_cast<double>(scale);
    const double value = std::trunc(static_cast<double>(raw) * 0.95 / divisor + 0.5);
    if (!(std::fabs(value) < 2.0e9))
        return 0;
    int r = static_cast<int>(value);
    const int lastDigit = r % 10;
    if (lastDigit == 8 || lastDigit == 9)
        r += 10 - lastDigit;
    return r;
}

ModelWords ModelWordsFor(int model) {
    switch (model) {
    case MODEL_RS232:
        return {"RIR", "RS232"};
    case MODEL_TIMER_AMPERE:
        return {"RIR", "timer/ampere"};
    case MODEL_PROF_REVERSE:
        return {"RIR Prof", ""};
    case MODEL_PROF:
        return {"RIR Prof", ""};
    case MODEL_TFT:
        return {"RIR", "TFT"};
    default:
        return {"RIR", "неизвестный"};
    }
}

namespace {

constexpr std::array<ModuleConfigInfo, 8> CONFIGS{{
    {CONFIG_NONE, "Ничего", {}},
    {CONFIG_TIMER_COUNTER,
     "Таймер/секундомер + счетчик ампер-часов",
     {.timer = true, .dailyCounter = true, .totalCounter = true}},
    {CONFIG_TIMER_REVERSE, "Таймер/секундомер + реверс", {.timer = true, .reverse = true}},
    {CONFIG_COUNTERS_DOSER,
     "Счетчика ампер-часов: накопительный + дневной-дозатор",
     {.dailyCounter = true, .totalCounter = true}},
    {CONFIG_COUNTER_TOTAL, "Счетчика ампер-часов: накопительный", {.totalCounter = true}},
    {CONFIG_WATTMETER, "Ватт-метр", {.watt = true}},
    {CONFIG_TWO_CHANNELS, "Двухканальный режим", {}},
    {CONFIG_FULL,
     "Таймер/секундомер + счетчик ампер-часов + ваттметр + термометр",
     {.timer = true, .dailyCounter = true, .totalCounter = true, .watt = true, .thermo = true}},
}};

constexpr std::array<int, 5> OFFER_MODEL2{0, 1, 3, 4, 5};
constexpr std::array<int, 3> OFFER_PROF_REVERSE{1, 2, 6};
constexpr std::array<int, 2> OFFER_PROF{1, 6};
constexpr std::array<int, 1> OFFER_TFT{9};

} // namespace

std::span<const ModuleConfigInfo> ModuleConfigTable() {
    return CONFIGS;
}

const ModuleConfigInfo* FindModuleConfig(int code) {
    for (const ModuleConfigInfo& c : CONFIGS) {
        if (c.code == code)
            return &c;
    }
    return nullptr;
}

std::span<const int> OfferedConfigs(int model, bool reverseCapable) {
    switch (model) {
    case MODEL_TIMER_AMPERE:
        return OFFER_MODEL2;
    case MODEL_PROF_REVERSE:
    case MODEL_PROF:
        return reverseCapable ? std::span<const int>(OFFER_PROF_REVERSE) : std::span<const int>(OFFER_PROF);
    case MODEL_TFT:
        return OFFER_TFT;
    default:
        return {};
    }
}

} // namespace rir
