#include "journal/JournalFormat.h"

#include "text/Cp1251.h"

#include <cstdlib>
#include <ctime>

namespace rir {

namespace {

std::tm LocalTime(StampTime t) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr)
        return {};
    return local;
}

std::string Formatted(StampTime t, const char* format) {
    const std::tm local = LocalTime(t);
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &local);
    return {buffer, n};
}

std::string Supply(int address, int channel, const char* separator) {
    std::string text = std::to_string(address);
    if (channel != 0)
        text += separator + std::to_string(channel + 1);
    return text;
}

// A raw value in volts or amperes with as many decimals as it takes to read back as the same raw
// value at this scale: the places of the smallest power of ten not below the scale, and the
// amount rounded up to them (the loader truncates). For the scales of 1, 10, 100 and 1000 that is
// the exact value ("1.50" at scale 100). A supply whose scale code the station does not know
// uses the code as its scale (3, say): raw 5 is 1.666..., written "1.7", read back 5.1 and
// truncated to 5; "1.6" would come back as 4.
std::string ValueText(int raw, int scale) {
    const long long s = scale < 1 ? 1 : scale;
    int places = 0;
    long long power = 1;
    while (power < s) {
        power *= 10;
        ++places;
    }
    const long long magnitude = std::llabs(static_cast<long long>(raw));
    const long long units = (magnitude * power + s - 1) / s;
    std::string text = raw < 0 ? "-" : "";
    text += std::to_string(units / power);
    if (const long long fraction = units % power; fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, static_cast<std::size_t>(places) - digits.size(), '0');
        text += "." + digits;
    }
    return text;
}

const char* Switch(bool on) {
    return on ? "1" : "0";
}

} // namespace

std::string JournalFileName(int address, int channel, StampTime start) {
    return Supply(address, channel, "_") + "_" + Formatted(start, "%Y-%m-%d_%H-%M-%S") + ".csv";
}

std::string JournalHead(int address, int channel, StampTime start, const SeriesSwitches& series) {
    // No comma in the title: the loader would read it as a decimal point.
    const std::string utf8 =
        "#Блок #" + Supply(address, channel, "_") + " - запуск " + Formatted(start, "%d.%m.%Y %H:%M:%S") +
        ";;;\r\n"
        "Время, с;Лимит тока, А;Лимит напряжения, В;Вкл;Напряжение, В;Ток, А;Стабилизация;Дата и время\r\n" +
        std::string("Ur=") + Switch(series.voltMeas) + ",Ul=" + Switch(series.voltLimit) +
        ",Ir=" + Switch(series.currMeas) + ",Il=" + Switch(series.currLimit) +
        ",Po=" + Switch(series.output) + ";;;\r\n";
    return Utf8ToCp1251(utf8);
}

std::string JournalLine(const ChartSample& s, const JournalScales& scales, StampTime now,
                        JournalSecond what) {
    const std::string date = Formatted(s.stamp.value_or(now), "%d.%m.%Y %H:%M:%S");
    if (what == JournalSecond::Missed)
        return std::to_string(s.time) + ";;;;;;;" + date + "\r\n";
    const std::string plan = std::to_string(s.time) + ";" + ValueText(s.currLimit, scales.currScale) + ";" +
                             ValueText(s.voltLimit, scales.voltScale) + ";" +
                             std::to_string(s.output > 0 ? 1 : 0) + ";";
    if (what == JournalSecond::PlanOnly)
        return plan + ";;;" + date + "\r\n";
    const char* regulation = s.output == 0 ? "--" : s.voltRegulation ? "напряжения" : "тока";
    const std::string utf8 = plan + ValueText(s.voltMeas, scales.voltScale) + ";" +
                             ValueText(s.currMeas, scales.currScale) + ";" + regulation + ";" + date + "\r\n";
    return Utf8ToCp1251(utf8);
}

std::string JournalMark(std::string_view what, StampTime at) {
    return Utf8ToCp1251("#" + std::string(what) + ";;;;;;;" + Formatted(at, "%d.%m.%Y %H:%M:%S") + "\r\n");
}

std::string SavedRunName(int address, int channel, StampTime day) {
    return "rir-" + Supply(address, channel, "_") + "-" + Formatted(day, "%Y-%m-%d") + ".csv";
}

} // namespace rir
