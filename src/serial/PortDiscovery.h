// The serial ports the station offers, in menu order.
#pragma once

#include <string>
#include <vector>

namespace rir {

// Extra ports from RIR_EXTRA_PORTS (paths separated by ':', for virtual ports such as the
// simulator's or socat's) first, then the serial ports the system lists, without repeats.
std::vector<std::string> DiscoverPorts();

// The ':'-separated list, empty pieces dropped. Pure, for tests.
std::vector<std::string> SplitExtraPorts(const std::string& value);

} // namespace rir
