#include "device/PageTexts.h"

#include "device/Ratings.h"
#include "text/NumberText.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace rir {

namespace {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
Printf(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0)
        return {};
    return std::string(buffer, static_cast<std::size_t>(n) < sizeof buffer ? static_cast<std::size_t>(n)
                                                                           : sizeof buffer - 1);
}

// Counters and the timer arrive as unsigned numbers of up to 32 bits; a value with the top bit
// set must still read as the large positive number the supply meant.
long long Unsigned32(int value) {
    return static_cast<long long>(static_cast<std::uint32_t>(value));
}

constexpr const char* UNIT_AMPERE_HOURS = "А*час";
constexpr const char* UNIT_AMPERE_MINUTES = "А*минут";
constexpr const char* UNIT_WATT_HOURS = "Вт*час";

constexpr const char* DOSER_SUFFIX[] = {"", " [выкл]", " [т10%]", " [безв]"};

} // namespace

std::string SupplyCaption(int address, int channel) {
    std::string caption = "#" + std::to_string(address);
    if (channel == 1)
        caption += "_2";
    return caption;
}

Identification IdentificationFor(const DeviceState& s) {
    Identification id;
    const int voltRating = RatedValue(s.voltMax, UsableScale(s.voltScale));
    const int currRating = RatedValue(s.currMax, UsableScale(s.currScale));
    std::string current = Printf("%iA", currRating);
    if (s.model == MODEL_TIMER_AMPERE && currRating == 1) {
        // The smallest model-2 supply is rated 1.5 A; 95 % of that rounds to 1, so its rating is
        // written out, and it measures current in thousandths of an ampere.
        current = "1,5A";
        id.smallVariant = true;
    }
    const ModelWords words = ModelWordsFor(s.model);
    std::string extra(words.extra);
    if (s.model == MODEL_PROF_REVERSE) {
        extra.clear();
        if (currRating == 300 || currRating == 150) {
            extra = "Reverse";
            id.reverseCapable = true;
        }
        if (s.channelBActive)
            extra += s.channel == 0 ? "(канал А)" : "(канал B)";
    }
    const std::string address = Printf("%i", s.address);
    id.line = Printf("#%s  %s %iV %s %s", address.c_str(), std::string(words.family).c_str(), voltRating,
                     current.c_str(), extra.c_str());
    return id;
}

std::string VoltEditText(int voltLimit, int voltScale) {
    switch (voltScale) {
    case 10:
        return Printf("%i.%i", voltLimit / 10, voltLimit % 10);
    case 100:
        return Printf("%i.%.2i", voltLimit / 100, voltLimit % 100);
    default:
        // The limit parser takes a text without a point as whole volts at any other scale.
        return Printf("%i", voltLimit / UsableScale(voltScale));
    }
}

std::string CurrEditText(int currLimit, int currScale) {
    switch (currScale) {
    case 1:
    case 10:
        return Printf("%i.%.1i", currLimit / currScale, currLimit % currScale);
    case 100:
        return Printf("%i.%.2i", currLimit / 100, currLimit % 100);
    case 1000:
        return Printf("%i.%.3i", currLimit / 1000, currLimit % 1000);
    default:
        return Printf("%i", currLimit / UsableScale(currScale));
    }
}

std::string VoltReadingText(int voltMeas, int voltLimit, int voltScale) {
    const double scale = UsableScale(voltScale);
    const int decimals = ScaleDecimals(voltScale);
    return Printf("%.*f / %.*f вольт", decimals, voltMeas / scale, decimals, voltLimit / scale);
}

std::string CurrReadingText(int currMeas, int currLimit, int currScale) {
    const double scale = UsableScale(currScale);
    const int decimals = ScaleDecimals(currScale);
    return Printf("%.*f / %.*f ампер", decimals, currMeas / scale, decimals, currLimit / scale);
}

std::string TimerValueText(int timerValue, bool negative, int moduleConfig) {
    const long long v = Unsigned32(timerValue);
    const long long h = v / 3600;
    const long long m = (v % 3600) / 60;
    const long long sec = v % 60;
    if (moduleConfig == CONFIG_FULL) {
        return negative ? Printf("-%.2lld:%.2lld:%.2lld c", h, m, sec)
                        : Printf("%.3lld:%.2lld:%.2lld c", h, m, sec);
    }
    // A value the supply marks negative keeps its sign in every configuration.
    return Printf(negative ? "-%lld:%.2lld:%.2lld" : "%lld:%.2lld:%.2lld", h, m, sec);
}

std::string TimerLabelText(int timerMode, bool resetOnOff, int moduleConfig) {
    if (moduleConfig == CONFIG_FULL) {
        std::string label = "Секундомер";
        if (timerMode != 0) {
            label = "Таймер";
            if (timerMode >= 1 && timerMode <= 3)
                label += DOSER_SUFFIX[timerMode];
        }
        if (resetOnOff)
            label += " [сб]";
        return label + ":";
    }
    switch (timerMode) {
    case 0:
        return "Секундомер:";
    case 1:
        return "Таймер [выкл]:";
    case 2:
        return "Таймер [т10%]:";
    case 3:
        return "Таймер [безв]:";
    default:
        return "Таймер:";
    }
}

CounterTexts CounterTextsFor(int model, int counterUnits, int counterDaily, int counterTotal) {
    const long long d = Unsigned32(counterDaily);
    const long long t = Unsigned32(counterTotal);
    CounterTexts out;
    if (model == MODEL_TIMER_AMPERE) {
        if (counterUnits == 1) {
            out.daily = Printf("%03lld.%02lld %s", d / 60, d % 60, UNIT_AMPERE_MINUTES);
            out.total = Printf("%lld.%03lld.%02lld %s", (t / 60) / 1000, (t / 60) % 1000, t % 60,
                               UNIT_AMPERE_MINUTES);
        } else {
            out.daily = Printf("%03lld.%03lld %s", (d % 1000000) / 1000, d % 1000, UNIT_AMPERE_HOURS);
            out.total = Printf("%lld.%03lld.%03lld %s", t / 1000000, (t % 1000000) / 1000, t % 1000,
                               UNIT_AMPERE_HOURS);
        }
    } else if (model == MODEL_TFT) {
        if (counterUnits == 1) {
            out.daily = Printf("%lld.%03lld.%02lld %s", (d / 60) / 1000, (d / 60) % 1000, d % 60,
                               UNIT_AMPERE_MINUTES);
        } else {
            out.daily = Printf("%lld.%03lld.%03lld %s", d / 1000000, (d % 1000000) / 1000, d % 1000,
                               counterUnits == 2 ? UNIT_WATT_HOURS : UNIT_AMPERE_HOURS);
        }
    } else {
        out.daily =
            Printf("%lld.%03lld.%02lld %s", d / 100000, (d % 100000) / 100, d % 100, UNIT_AMPERE_HOURS);
        out.total =
            Printf("%lld.%03lld.%02lld %s", t / 100000, (t % 100000) / 100, t % 100, UNIT_AMPERE_HOURS);
    }
    return out;
}

std::string DailyCounterLabel(int counterMode) {
    // The mode lives in the low two bits; the bits above carry flags (bit 6: no reset on
    // switch-off), which the label does not show in these configurations.
    switch (counterMode & 0x03) {
    case 1:
        return "Дозатор [выкл]:";
    case 2:
        return "Дозатор [т10%]:";
    case 3:
        return "Дозатор [безв]:";
    default:
        return "САЧ дневной:";
    }
}

std::string CounterLabelText(int counterMode, bool resetOnOff) {
    const int mode = counterMode & 0x3F; // bits 6 and 7 are flags, not the mode
    std::string label = "Счетчик";
    if (mode != 0) {
        label = "Дозатор";
        if (mode >= 1 && mode <= 3)
            label += DOSER_SUFFIX[mode];
    }
    if (resetOnOff)
        label += " [сб]";
    return label + ":";
}

std::string ReverseForwardText(int current, int tenths) {
    return Printf("%i А (%i.%i с)", current, tenths / 10, tenths % 10);
}

std::string ReverseBackText(int current, int tenths) {
    return Printf("%i А (%i.%i c)", current, tenths / 10, tenths % 10);
}

std::string WattText(int wattRaw, int moduleConfig) {
    if (moduleConfig == CONFIG_FULL)
        return Printf("%i.%1i ватт", wattRaw / 10, wattRaw % 10);
    return Printf("%i.%02i ватт", wattRaw / 100, wattRaw % 100);
}

std::string ThermoLabelText(int thermoMode) {
    static constexpr const char* SUFFIX[] = {"", " [нагрев]", " [охл]", " [контр]", " [бп]", "", "", ""};
    const int mode = thermoMode & 0x07;
    if (mode == 0)
        return "Термометр:";
    return std::string("Терморег.") + SUFFIX[mode] + ":";
}

std::string ThermoValueText(int tempRaw, int thermoMode, int tempTargetRaw, int tempDeltaRaw) {
    // Temperatures travel as tenths of a degree plus 2000; the sensor reads -30.0 to 110.0 °С.
    const int t = tempRaw;
    std::string text;
    if (t >= 2000 && t - 2000 <= 1100)
        text = Printf("%i.%1i °С", (t - 2000) / 10, (t - 2000) % 10);
    else if (t < 2000 && 2000 - t <= 300)
        text = Printf("-%i.%1i °С", (2000 - t) / 10, (2000 - t) % 10);
    else
        text = "--- °С";

    const int mode = thermoMode & 0x07;
    if (mode != 0) {
        const int g = tempTargetRaw;
        if (g >= 2000)
            text += Printf(" (%i.%1i", (g - 2000) / 10, (g - 2000) % 10);
        else
            text += Printf(" (-%i.%1i", (2000 - g) / 10, (2000 - g) % 10);
        if (mode == 3)
            text += ")";
        else
            text += Printf(" ± %i.%1i °С)", tempDeltaRaw / 10, tempDeltaRaw % 10);
    }
    if ((thermoMode & 0x80) != 0)
        text += " (Р)";
    return text;
}

} // namespace rir
