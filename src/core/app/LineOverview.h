// The line overview: one tile per page in tab order, with what an operator across the room must
// see (answering or not, the output, the regulation, volts and amperes against their limits, the
// run, the counter, the thermometer, the alarms), all as texts and colours decided here. The
// overview window lays the tiles out in OverviewColumns and copies a tile only when its revision
// moved on.
#pragma once

#include "alarm/AlarmMonitor.h"
#include "view/Rgb.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rir {

class DevicePage;

struct OverviewTile {
    int address = 0;
    int channel = 0;
    std::string caption;    // "#15", "#15_2"
    std::string state;      // "Выход включен", "Выход выключен", "Нет связи"
    std::string regulation; // "Стабилизация U", "Стабилизация I", ""
    std::string volts;      // "12.34" (large digits); "-" while the page does not answer
    std::string voltLimit;  // "из 15.00 В"
    std::string amps;
    std::string currLimit;
    std::string run; // "Запись 00:12:05", "Шаг 3: 00:02:15, осталось 00:10:00", "Пауза ..."
    std::string counter;     // "12.345 Ач" where the supply counts, else ""
    std::string temperature; // "25.5 °C" where the supply has a thermometer, else ""
    std::string alarm;       // the page's alarm line, "Тревог нет" when all is clear
    bool online = false;     // false: the tile's texts are drawn grey, as the page's
    bool selected = false;   // the main window shows this page
    bool canAcknowledge = false;
    std::optional<Rgb> voltColour; // the page's green and red while it answers
    std::optional<Rgb> currColour;
    std::optional<Rgb> background;                // the alarm's colour; none: the window's own
    unsigned revision = 0;                        // moves on whenever anything above changed
    bool operator==(const OverviewTile& o) const; // the content, not the revision
};

inline constexpr std::string_view OVERVIEW_NO_ALARMS = "Тревог нет";
// A tile's place in the overview, in pixels, and the space between tiles.
inline constexpr int OVERVIEW_TILE_WIDTH = 250;
inline constexpr int OVERVIEW_TILE_HEIGHT = 190;
inline constexpr int OVERVIEW_GAP = 6;
inline constexpr int OVERVIEW_MAX_COLUMNS = 16;

// The tile backgrounds: an alarm that waits for "Квитировать", one that was seen, one that went
// before anyone saw it.
inline constexpr Rgb OVERVIEW_ALARM_WAITING{255, 170, 170};
inline constexpr Rgb OVERVIEW_ALARM_SEEN{255, 215, 170};
inline constexpr Rgb OVERVIEW_ALARM_GONE{235, 235, 190};

// The tile of one page; `alarms` is its monitor (none: no alarm seen yet).
OverviewTile OverviewTileOf(const DevicePage& page, const AlarmMonitor* alarms, bool selected);

// Columns for a window `width` pixels wide: the stored count (1..OVERVIEW_MAX_COLUMNS) when one is
// set, else as many tiles as fit, never fewer than one nor more than there are tiles.
int OverviewColumns(int width, int storedColumns, int tileCount);

class LineOverview {
public:
    // The tiles anew from the pages in tab order; a tile whose content changed gets a new
    // revision. True when anything changed (a tile, or the tiles' number or order).
    template <typename AlarmsOf>
    bool Update(const std::vector<std::unique_ptr<DevicePage>>& pages, int selected, AlarmsOf alarmsOf);
    const std::vector<OverviewTile>& tiles() const { return tiles_; }
    // Moves on when tiles come, go or change places.
    unsigned structure() const { return structure_; }

private:
    bool Take(std::size_t index, OverviewTile tile);
    void Resize(std::size_t count);
    std::vector<OverviewTile> tiles_;
    unsigned structure_ = 0;
    unsigned nextRevision_ = 1;
};

template <typename AlarmsOf>
bool LineOverview::Update(const std::vector<std::unique_ptr<DevicePage>>& pages, int selected,
                          AlarmsOf alarmsOf) {
    bool changed = false;
    if (tiles_.size() != pages.size()) {
        Resize(pages.size());
        changed = true;
    }
    for (std::size_t i = 0; i < pages.size(); ++i)
        changed |= Take(i, OverviewTileOf(*pages[i], alarmsOf(*pages[i]), static_cast<int>(i) == selected));
    return changed;
}

} // namespace rir
