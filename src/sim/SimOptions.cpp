#include "SimOptions.h"

#include "SimRatings.h"
#include "SimSupply.h"
#include "device/Ratings.h"

#include <charconv>
#include <cmath>
#include <map>
#include <string_view>

namespace rir::sim {

namespace {

constexpr double MAX_LOAD_OHMS = 1.0e6;
// A day: a test or a demonstration waits for less.
constexpr double MAX_SWITCH_ON_SECONDS = 86400.0;

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<double> ParseNumber(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> ParseOhms(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value) || value <= 0.0 ||
        value > MAX_LOAD_OHMS)
        return std::nullopt;
    return value;
}

std::optional<double> ParseSeconds(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value) || value < 0.0 ||
        value > MAX_SWITCH_ON_SECONDS)
        return std::nullopt;
    return value;
}

std::vector<std::string_view> SplitColons(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (colon == std::string_view::npos)
            return parts;
        start = colon + 1;
    }
}

std::string ParseDevice(std::string_view text, DeviceOption& device) {
    const auto parts = SplitColons(text);
    const std::string bad = "bad --device '" + std::string(text) + "': ";
    if (parts.size() < 2 || parts.size() > 3)
        return bad + "expected ADDR:MODEL[:CONFIG]";
    const auto address = ParseInt(parts[0]);
    if (!address || *address < 1 || *address > 127)
        return bad + "the address must be 1..127";
    const auto model = ParseInt(parts[1]);
    if (!model || !SimRatingsFor(*model))
        return bad + "the model must be 1..6";
    device.address = *address;
    device.model = *model;
    if (parts.size() == 2) {
        // Model 1 is the plain RS-232 supply, which has no modules; the others start with none set.
        if (*model != MODEL_RS232)
            device.config = CONFIG_NONE;
        return {};
    }
    if (parts[2] == "none")
        return {};
    const auto config = ParseInt(parts[2]);
    if (!config || !IsSimConfig(*config))
        return bad + "the configuration must be 0..6, 9 or none";
    device.config = *config;
    return {};
}

bool TakesValue(std::string_view name) {
    return name == "--device" || name == "--load" || name == "--framing" || name == "--link" ||
           name == "--parent" || name == "--switch-on" || name == "--fault" || name == "--at" ||
           name == "--listen" || name == "--baud";
}

// A late reply comes after the station has given up on it: a minute is more than any time-out.
constexpr int MAX_LATE_MS = 60000;

// ADDR:refuse[:CODE], ADDR:foreign:ADDR, ADDR:garble or ADDR:late:MS.
std::optional<std::pair<int, SimFault>> ParseFault(std::string_view text) {
    const auto parts = SplitColons(text);
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    const auto address = ParseInt(parts[0]);
    if (!address || *address < 1 || *address > 127)
        return std::nullopt;
    const bool given = parts.size() == 3;
    const std::optional<int> value = given ? ParseInt(parts[2]) : std::nullopt;
    if (given && !value)
        return std::nullopt;
    // -1 when not given: no kind takes it.
    const int number = value.value_or(-1);
    SimFault fault;
    if (parts[1] == "refuse") {
        fault.kind = SimFault::Kind::Refuse;
        fault.value = given ? number : 5;
        if (fault.value < 0 || fault.value > 255)
            return std::nullopt;
    } else if (parts[1] == "foreign") {
        fault.kind = SimFault::Kind::Foreign;
        if (number < 0 || number > 255)
            return std::nullopt;
        fault.value = number;
    } else if (parts[1] == "garble" && !given) {
        fault.kind = SimFault::Kind::Garble;
    } else if (parts[1] == "late") {
        fault.kind = SimFault::Kind::Late;
        if (number < 1 || number > MAX_LATE_MS)
            return std::nullopt;
        fault.value = number;
    } else {
        return std::nullopt;
    }
    return std::make_pair(*address, fault);
}

// SECONDS:ADDR:load=OHMS, SECONDS:ADDR:silent, SECONDS:ADDR:answer or SECONDS:ADDR:temp=DEG.
std::optional<SimEvent> ParseEvent(std::string_view text) {
    const auto parts = SplitColons(text);
    if (parts.size() != 3)
        return std::nullopt;
    const auto seconds = ParseSeconds(parts[0]);
    const auto address = ParseInt(parts[1]);
    if (!seconds || !address || *address < 1 || *address > 127)
        return std::nullopt;
    SimEvent e;
    e.atMs = static_cast<std::int64_t>(*seconds * 1000.0);
    e.address = *address;
    const std::string_view what = parts[2];
    const auto equals = what.find('=');
    const std::string_view name = what.substr(0, equals);
    const bool given = equals != std::string_view::npos;
    const std::string_view number = given ? what.substr(equals + 1) : std::string_view{};
    if (name == "load" && given) {
        const auto ohms = ParseOhms(number);
        if (!ohms)
            return std::nullopt;
        e.kind = SimEvent::Kind::Load;
        e.value = *ohms;
    } else if (name == "temp" && given) {
        const auto celsius = ParseNumber(number);
        if (!celsius || *celsius < -50.0 || *celsius > 150.0)
            return std::nullopt;
        e.kind = SimEvent::Kind::Temperature;
        e.value = *celsius;
    } else if ((name == "silent" || name == "answer") && !given) {
        e.kind = name == "silent" ? SimEvent::Kind::Silent : SimEvent::Kind::Answer;
    } else {
        return std::nullopt;
    }
    return e;
}

// The --device at `address`; addresses are never given twice.
DeviceOption* DeviceAt(std::vector<DeviceOption>& devices, int address) {
    for (DeviceOption& d : devices) {
        if (d.address == address)
            return &d;
    }
    return nullptr;
}

} // namespace

ParsedOptions ParseSimOptions(const std::vector<std::string>& args) {
    ParsedOptions result;
    SimOptions& o = result.options;
    std::map<int, double> loads;
    std::map<int, double> switchOns;
    std::map<int, SimFault> faults;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::string value;
        const std::size_t equals = name.find('=');
        const bool inlineValue = name.starts_with("--") && equals != std::string_view::npos;
        if (inlineValue) {
            value = std::string(name.substr(equals + 1));
            name = name.substr(0, equals);
        }
        if (name == "-h" || name == "--help" || name == "-v" || name == "--verbose" ||
            name == "--wire-time") {
            if (inlineValue) {
                result.error = "option " + std::string(name) + " takes no value";
                return result;
            }
            if (name == "--wire-time")
                o.wireTime = true;
            else if (name == "-v" || name == "--verbose")
                o.verbose = true;
            else
                o.help = true;
            continue;
        }
        if (!TakesValue(name)) {
            result.error = "unknown option '" + std::string(name) + "'";
            return result;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                result.error = "option " + std::string(name) + " needs a value";
                return result;
            }
            value = args[++i];
        }
        if (name == "--device") {
            DeviceOption device;
            result.error = ParseDevice(value, device);
            if (!result.error.empty())
                return result;
            for (const DeviceOption& d : o.devices) {
                if (d.address == device.address) {
                    result.error = "address " + std::to_string(device.address) + " given twice";
                    return result;
                }
            }
            o.devices.push_back(device);
        } else if (name == "--load") {
            const auto parts = SplitColons(value);
            const auto ohms = ParseOhms(parts.back());
            const auto address = parts.size() == 2 ? ParseInt(parts[0]) : std::nullopt;
            if (!ohms || parts.size() > 2 ||
                (parts.size() == 2 && (!address || *address < 1 || *address > 127))) {
                result.error = "bad --load '" + value + "': expected OHMS or ADDR:OHMS, ohms above 0";
                return result;
            }
            if (address)
                loads[*address] = *ohms;
            else
                o.defaultLoadOhms = *ohms;
        } else if (name == "--switch-on") {
            const auto parts = SplitColons(value);
            const auto address = parts.size() == 2 ? ParseInt(parts[0]) : std::nullopt;
            const auto seconds = parts.size() == 2 ? ParseSeconds(parts[1]) : std::nullopt;
            if (!address || *address < 1 || *address > 127 || !seconds) {
                result.error = "bad --switch-on '" + value + "': expected ADDR:SECONDS, 0 to 86400 seconds";
                return result;
            }
            switchOns[*address] = *seconds;
        } else if (name == "--fault") {
            const auto fault = ParseFault(value);
            if (!fault) {
                result.error =
                    "bad --fault '" + value +
                    "': expected ADDR:refuse[:CODE], ADDR:foreign:ADDR, ADDR:garble or ADDR:late:MS";
                return result;
            }
            faults[fault->first] = fault->second;
        } else if (name == "--at") {
            const auto event = ParseEvent(value);
            if (!event) {
                result.error = "bad --at '" + value +
                               "': expected SECONDS:ADDR:load=OHMS, SECONDS:ADDR:silent, SECONDS:ADDR:answer "
                               "or SECONDS:ADDR:temp=DEG";
                return result;
            }
            o.events.push_back(*event);
        } else if (name == "--framing") {
            if (value == "rtu")
                o.framing = Framing::Rtu;
            else if (value == "ascii")
                o.framing = Framing::Ascii;
            else if (value == "rs232")
                o.framing = Framing::Rs232;
            else {
                result.error = "bad --framing '" + value + "': expected rtu, ascii or rs232";
                return result;
            }
        } else if (name == "--parent") {
            const auto pid = ParseInt(value);
            if (!pid || *pid < 1) {
                result.error = "bad --parent '" + value + "': expected a process id above 0";
                return result;
            }
            o.parentPid = *pid;
        } else if (name == "--listen") {
            const auto port = ParseInt(value);
            if (!port || *port < 0 || *port > 65535) {
                result.error =
                    "bad --listen '" + value + "': expected a TCP port, 0 to 65535 (0: any free one)";
                return result;
            }
            o.listenPort = *port;
        } else if (name == "--baud") {
            const auto baud = ParseInt(value);
            if (!baud || *baud < 300 || *baud > 921600) {
                result.error = "bad --baud '" + value + "': expected 300 to 921600";
                return result;
            }
            o.baud = *baud;
        } else {
            if (value.empty()) {
                result.error = "option --link needs a path";
                return result;
            }
            o.linkPath = value;
        }
    }
    if (o.listenPort && !o.linkPath.empty()) {
        result.error = "--listen and --link exclude each other: a TCP port has no path";
        return result;
    }
    if (o.devices.empty())
        o.devices.push_back({1, MODEL_TIMER_AMPERE, CONFIG_TIMER_COUNTER, std::nullopt});
    // The per-address options, each handed to the --device at its address.
    const auto attach = [&o, &result](const auto& byAddress, const char* option, auto member) {
        for (const auto& [address, value] : byAddress) {
            DeviceOption* d = DeviceAt(o.devices, address);
            if (d == nullptr) {
                result.error = std::string(option) + " for address " + std::to_string(address) +
                               ", which no --device has";
                return false;
            }
            d->*member = value;
        }
        return true;
    };
    for (const SimEvent& e : o.events)
        if (DeviceAt(o.devices, e.address) == nullptr) {
            result.error = "--at for address " + std::to_string(e.address) + ", which no --device has";
            return result;
        }
    if (!attach(switchOns, "--switch-on", &DeviceOption::switchOnSeconds) ||
        !attach(faults, "--fault", &DeviceOption::fault) || !attach(loads, "--load", &DeviceOption::loadOhms))
        return result;
    return result;
}

std::string SimHelpText() {
    std::string text =
        "rir-sim: RIR power supplies on a pseudo-terminal, for the RIR Controller station.\n"
        "\n"
        "Prints the path of the pseudo-terminal as its first line; point the station's port at it\n"
        "(or at the --link path). Ends on Ctrl+C or SIGTERM.\n"
        "\n"
        "Options:\n"
        "  --device ADDR:MODEL[:CONFIG]  a supply at bus address ADDR (1..127) of model MODEL, with\n"
        "                                module configuration CONFIG (0..6 or 9), or 'none' for a\n"
        "                                supply without modules. Without CONFIG: none for model 1,\n"
        "                                0 for the others. Repeatable. Default: --device 1:2:1.\n"
        "  --load OHMS                   resistive load on every supply (default 10).\n"
        "  --load ADDR:OHMS              load on the supply at ADDR only. Repeatable.\n"
        "  --framing rtu|ascii|rs232     MODBUS-RTU, MODBUS-ASCII (default) or bare RS-232 bytes;\n"
        "                                in rs232 the first --device answers and replies carry no\n"
        "                                address.\n"
        "  --switch-on ADDR:SECONDS      the supply at ADDR is switched on SECONDS after the start\n"
        "                                and answers nothing until then. Repeatable.\n"
        "  --fault ADDR:KIND             the supply at ADDR misbehaves: refuse[:CODE] answers every\n"
        "                                request with exception CODE (default 5); foreign:N puts\n"
        "                                address N in its replies; garble scrambles its replies'\n"
        "                                bytes; late:MS sends each reply MS milliseconds late.\n"
        "  --at SECONDS:ADDR:EVENT       at SECONDS after the start the supply at ADDR changes:\n"
        "                                load=OHMS (its load), silent (stops answering), answer\n"
        "                                (answers again) or temp=DEG (its thermometer reads DEG\n"
        "                                from then on). Repeatable.\n"
        "  --link PATH                   also make the symbolic link PATH to the pseudo-terminal\n"
        "                                (an existing link is replaced; removed on exit).\n"
        "  --listen PORT                 serve the bus on TCP port PORT of 127.0.0.1 instead of a\n"
        "                                pseudo-terminal, as a serial-to-Ethernet gateway does (the\n"
        "                                same bytes, one connection at a time; a new one takes over);\n"
        "                                0 picks a free port. Prints tcp://127.0.0.1:PORT first.\n"
        "  --baud N                      the line speed --wire-time assumes behind --listen (default\n"
        "                                9600, 8 data bits, no parity, 1 stop bit).\n"
        "  --wire-time                   send each reply byte after its time on the wire at the\n"
        "                                speed and character format the station set on the line.\n"
        "  --parent PID                  end when the process PID ends (for test harnesses, so\n"
        "                                that a crashed test leaves no simulator behind).\n"
        "  -v, --verbose                 log requests and replies to stderr.\n"
        "  -h, --help                    this text.\n"
        "  Options taking a value also accept --option=value.\n"
        "\n"
        "Models:\n";
    for (const SimRatings& r : SimRatingsTable())
        text += "  " + std::to_string(r.model) + "  " + std::string(r.description) + "\n";
    text += "\n"
            "Configurations:\n"
            "  0 nothing, 1 timer + ampere-hour counter, 2 timer + reverse, 3 counter with doser,\n"
            "  4 accumulating counter, 5 wattmeter, 6 two channels, 9 timer + counter + wattmeter +\n"
            "  thermometer.\n"
            "\n"
            "The output regulates voltage while the load draws less than the current limit and\n"
            "current from there on. Counters count ampere-hours and watt-hours in thousandths\n"
            "(models 2 and 6) or hundredths (others), ampere-minutes in ampere-seconds.\n"
            "Output writes (FC_CONTROL) take the limits their flags name, clamped to the model's\n"
            "ratings, and switch the output. Module settings (FC_EXTENDED) are acknowledged with\n"
            "one 0 byte and take effect: a new configuration, the timer, counter, reverse and\n"
            "thermometer settings, channel B's output, and the dosing restart. After a change of\n"
            "configuration a supply answers measurement and module polls with exception 5 until\n"
            "it is identified again.\n"
            "\n"
            "Example:\n"
            "  rir-sim --link /tmp/rir0 --device 15:2:1 --device 20:3:6 --load 15:8.5\n"
            "  (MODBUS-ASCII and address 15, as a station on its first run polls.)\n";
    return text;
}

} // namespace rir::sim
