// What the plant's MQTT broker carries for this station: the topics under rir/<station>/, each
// page's state as JSON, and the commands a plant system may send, read strictly. Pure text in and
// out; the bridge that talks to the broker and the station that acts live elsewhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace rir {

// Longest command payload taken; anything longer is refused unread.
inline constexpr std::size_t PLANT_COMMAND_MAX_BYTES = 512;

// A station name is part of every topic: letters, digits, "-", "_" and ".", 1 to 64 of them
// (no "/", "+" or "#", which would reach into other topics).
bool ValidStationName(std::string_view name);

// "rir/line1/status", "rir/line1/15/state", "rir/line1/15_2/result" (channel 1 is B).
std::string StationTopic(std::string_view station, std::string_view leaf);
std::string PageTopic(std::string_view station, int address, int channel, std::string_view leaf);

struct PageRef {
    int address = 0;
    int channel = 0;
    bool operator==(const PageRef&) const = default;
};
// The page a command topic names: "rir/<station>/<address>[_2]/set" for this station only, an
// address 1 to 127. Nothing for any other topic.
std::optional<PageRef> ParseCommandTopic(std::string_view topic, std::string_view station);

// One page as the plant sees it; a value the supply does not have is left out of the JSON.
struct PageReport {
    bool online = false;
    bool output = false;
    std::optional<char> regulation; // 'U' or 'I'
    std::optional<double> u, i;     // measured
    double uLimit = 0, iLimit = 0;
    struct Program {
        std::string state; // "loaded", "running", "paused"
        int second = 0;
        int left = 0;
    };
    std::optional<Program> program;
    std::optional<double> ah;
    std::optional<double> temperature;
    std::string alarm; // the page's alarm text, "" when clear
    std::string time;  // "2026-12-11T09:15:02", local
};
std::string PageStateJson(const PageReport& report);

// A command from the plant, every field it gave read and checked for its type; the station
// checks the values against the supply before it acts on any of them.
struct PlantCommand {
    std::optional<double> uLimit, iLimit;
    std::optional<bool> output;
    enum class Program { Start, Pause, Continue, Cancel };
    std::optional<Program> program;
    bool operator==(const PlantCommand&) const = default;
};
// The command, or why it was refused: not a JSON object of known fields with values of their
// types, a field twice, nothing to do.
std::variant<PlantCommand, std::string> ParsePlantCommand(std::string_view payload);

// {"ok":true} or {"ok":false,"error":"..."}.
std::string PlantResultJson(const std::string& error);
// A JSON string literal, quotes included.
std::string JsonString(std::string_view text);

} // namespace rir
