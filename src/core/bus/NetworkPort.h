// A bus behind a serial-to-Ethernet gateway: a port named "tcp://HOST:PORT" is a raw TCP stream
// that carries the same RTU or ASCII bytes as the line. The name is the port's one description:
// the menu shows it, the settings file keeps it and the bus thread opens it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rir {

inline constexpr std::string_view NETWORK_PORT_SCHEME = "tcp://";

// What a gateway adds to a reply's way back: its own buffering and the network's round trip.
// Added to the read time-out the line's speed asks for.
inline constexpr int NETWORK_READ_ALLOWANCE_MS = 100;
// How long the bus thread waits for a gateway to accept the connection before it calls the port
// away and tries again a second later.
inline constexpr int NETWORK_CONNECT_TIMEOUT_MS = 2000;

struct NetworkPort {
    std::string host; // a name or an IPv4 / bracketless IPv6 literal, as typed
    int port = 0;     // 1..65535

    bool operator==(const NetworkPort&) const = default;
};

// What the operator typed into "Сетевой порт...": the host and the port as text.
struct NetworkPortFields {
    std::string host;
    std::string port;
};

bool IsNetworkPortName(std::string_view name);
// "tcp://HOST:PORT" → its parts; nothing for anything else or a malformed name.
std::optional<NetworkPort> ParseNetworkPortName(std::string_view name);
std::string NetworkPortName(const NetworkPort& port);

// Checks the dialog's fields: the port, or the message that says what is wrong.
struct NetworkPortChoice {
    std::optional<NetworkPort> port;
    std::string error;
};
NetworkPortChoice CheckNetworkPortFields(const NetworkPortFields& fields);

// A ':'-separated list of port names (RIR_EXTRA_PORTS), empty pieces dropped; a gateway's
// "tcp://HOST:PORT" holds the separator itself and ends after its port.
std::vector<std::string> SplitPortNames(std::string_view value);

} // namespace rir
