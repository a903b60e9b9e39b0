// The command line of rir-sim.
#pragma once

#include "SimEvent.h"
#include "SimFault.h"
#include "bus/FrameCodec.h"

#include <optional>
#include <string>
#include <vector>

namespace rir::sim {

struct DeviceOption {
    int address = 0;
    int model = 0;
    std::optional<int> config; // nothing: a supply without modules
    std::optional<double> loadOhms;
    // Switched on this long after the start; silent until then (a supply the operator switches
    // on while the station polls). Nothing: on from the start.
    std::optional<double> switchOnSeconds{};
    std::optional<SimFault> fault{};
};

struct SimOptions {
    std::vector<DeviceOption> devices; // in the order given
    std::vector<SimEvent> events;      // --at, in the order given
    double defaultLoadOhms = 10.0;
    Framing framing = Framing::Ascii; // the station's default protocol
    std::string linkPath;
    std::optional<int> listenPort; // serve on TCP instead of a pseudo-terminal
    int baud = 9600;               // what --wire-time assumes over TCP
    bool wireTime = false;
    int parentPid = 0; // 0: outlive whoever started us
    bool verbose = false;
    bool help = false;
};

struct ParsedOptions {
    SimOptions options;
    std::string error; // empty when the command line was good
};

// The arguments after the program name. Without any --device the bus holds one supply,
// address 1, model 2, configuration 1.
ParsedOptions ParseSimOptions(const std::vector<std::string>& args);

std::string SimHelpText();

} // namespace rir::sim
