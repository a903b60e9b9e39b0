// The serial ports the station offers, in menu order.
#pragma once

#include <string>
#include <vector>

namespace rir {

// Extra ports from RIR_EXTRA_PORTS (paths separated by ':', for virtual ports such as the
// simulator's or socat's, and gateways' "tcp://HOST:PORT"; see SplitPortNames) first, then the serial ports
// the system lists, without repeats.
std::vector<std::string> DiscoverPorts();

} // namespace rir
