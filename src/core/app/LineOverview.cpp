#include "app/LineOverview.h"

#include "device/DevicePage.h"
#include "device/PageTexts.h"
#include "device/TemperatureText.h"
#include "text/NumberText.h"

#include <algorithm>
#include <cstdio>

namespace rir {

namespace {

std::string Fixed(int raw, int scale) {
    const int usable = UsableScale(scale);
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", ScaleDecimals(usable), static_cast<double>(raw) / usable);
    return text;
}

std::string Clock(int seconds) {
    seconds = std::max(0, seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string RunText(const DevicePage& page) {
    const int elapsed = page.chart.elapsedSeconds;
    if (page.recording())
        return "Запись " + Clock(elapsed);
    if (!page.programLoaded())
        return {};
    if (!page.programStarted())
        return "Программа загружена";
    const std::vector<ChartSample>& steps = page.programSteps();
    int step = 0;
    int stepStart = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].time <= elapsed) {
            step = static_cast<int>(i);
            stepStart = steps[i].time;
        }
    }
    const std::string where = "Шаг " + std::to_string(step + 1) + ": " + Clock(elapsed - stepStart) +
                              ", осталось " + Clock(page.chart.programDuration - elapsed);
    return page.programPaused() ? "Пауза. " + where : where;
}

} // namespace

bool OverviewTile::operator==(const OverviewTile& o) const {
    return address == o.address && channel == o.channel && caption == o.caption && state == o.state &&
           regulation == o.regulation && volts == o.volts && voltLimit == o.voltLimit && amps == o.amps &&
           currLimit == o.currLimit && run == o.run && counter == o.counter && temperature == o.temperature &&
           alarm == o.alarm && online == o.online && selected == o.selected &&
           canAcknowledge == o.canAcknowledge && voltColour == o.voltColour && currColour == o.currColour &&
           background == o.background;
}

OverviewTile OverviewTileOf(const DevicePage& page, const AlarmMonitor* alarms, bool selected) {
    const DeviceState& s = page.state;
    OverviewTile t;
    t.address = s.address;
    t.channel = s.channel;
    t.caption = SupplyCaption(s.address, s.channel);
    t.online = s.online;
    t.selected = selected;
    if (s.online) {
        t.state = s.outputOn ? "Выход включен" : "Выход выключен";
        if (s.outputOn)
            t.regulation = s.voltRegulation ? "Стабилизация U" : "Стабилизация I";
        t.voltColour = COLOUR_GREEN;
        t.currColour = COLOUR_RED;
        t.volts = Fixed(s.voltMeas, s.voltScale);
        t.voltLimit = "из " + Fixed(s.voltLimit, s.voltScale) + " В";
        t.amps = Fixed(s.currMeas, s.currScale);
        t.currLimit = "из " + Fixed(s.currLimit, s.currScale) + " А";
        if (s.hasCounterRow) {
            const CounterTexts c = CounterTextsFor(s.model, s.counterUnits, s.counterDaily, s.counterTotal);
            t.counter = c.total.value_or(c.daily);
        }
        if (s.hasThermoRow)
            t.temperature = TemperatureText(s.tempRaw) + " °C";
    } else {
        t.state = "Нет связи";
        t.volts = t.amps = "-";
    }
    t.run = RunText(page);
    t.alarm = std::string(OVERVIEW_NO_ALARMS);
    if (alarms != nullptr) {
        if (std::string text = alarms->StatusText(); !text.empty())
            t.alarm = std::move(text);
        t.canAcknowledge = alarms->unacknowledged();
        if (alarms->active())
            t.background = alarms->unacknowledged() ? OVERVIEW_ALARM_WAITING : OVERVIEW_ALARM_SEEN;
        else if (alarms->unacknowledged())
            t.background = OVERVIEW_ALARM_GONE;
    }
    return t;
}

int OverviewColumns(int width, int storedColumns, int tileCount) {
    const int most = std::max(1, tileCount);
    if (storedColumns >= 1 && storedColumns <= OVERVIEW_MAX_COLUMNS)
        return std::min(storedColumns, most);
    const int fit = (std::max(0, width) - OVERVIEW_GAP) / (OVERVIEW_TILE_WIDTH + OVERVIEW_GAP);
    return std::clamp(fit, 1, std::min(most, OVERVIEW_MAX_COLUMNS));
}

void LineOverview::Resize(std::size_t count) {
    tiles_.resize(count);
    ++structure_;
}

bool LineOverview::Take(std::size_t index, OverviewTile tile) {
    OverviewTile& held = tiles_[index];
    if (held.revision != 0 && held == tile)
        return false;
    if (held.address != tile.address || held.channel != tile.channel)
        ++structure_;
    tile.revision = nextRevision_++;
    held = std::move(tile);
    return true;
}

} // namespace rir
