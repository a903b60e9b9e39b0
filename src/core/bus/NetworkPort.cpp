#include "bus/NetworkPort.h"

#include <algorithm>
#include <cctype>

namespace rir {

namespace {

constexpr std::size_t MAX_HOST_LENGTH = 253; // the longest name DNS allows

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// Letters, digits, '.', '-', '_' and ':' (an IPv6 literal): nothing a resolver would read as
// something else, no spaces, nothing that could end the name early in the settings file.
bool HostIsValid(std::string_view host) {
    if (host.empty() || host.size() > MAX_HOST_LENGTH)
        return false;
    for (char c : host) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '.' || c == '-' || c == '_' || c == ':'))
            return false;
    }
    return true;
}

std::optional<int> PortNumber(std::string_view text) {
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > 65535)
        return std::nullopt;
    return n;
}

} // namespace

bool IsNetworkPortName(std::string_view name) {
    return name.starts_with(NETWORK_PORT_SCHEME);
}

std::optional<NetworkPort> ParseNetworkPortName(std::string_view name) {
    if (!IsNetworkPortName(name))
        return std::nullopt;
    name.remove_prefix(NETWORK_PORT_SCHEME.size());
    const std::size_t colon = name.rfind(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view host = name.substr(0, colon);
    const std::optional<int> port = PortNumber(name.substr(colon + 1));
    if (!HostIsValid(host) || !port)
        return std::nullopt;
    return NetworkPort{std::string(host), *port};
}

std::string NetworkPortName(const NetworkPort& port) {
    return std::string(NETWORK_PORT_SCHEME) + port.host + ":" + std::to_string(port.port);
}

NetworkPortChoice CheckNetworkPortFields(const NetworkPortFields& fields) {
    const std::string_view host = Trimmed(fields.host);
    if (!HostIsValid(host))
        return {std::nullopt, "Неверное имя или адрес шлюза: \"" + std::string(host) + "\""};
    const std::string_view portText = Trimmed(fields.port);
    const std::optional<int> port = PortNumber(portText);
    if (!port)
        return {std::nullopt, "Номер порта должен быть целым числом от 1 до 65535"};
    return {NetworkPort{std::string(host), *port}, {}};
}

std::vector<std::string> SplitPortNames(std::string_view value) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t from = start;
        if (value.substr(start).starts_with(NETWORK_PORT_SCHEME))
            from = std::min(value.find(':', start + NETWORK_PORT_SCHEME.size()), value.size() - 1) + 1;
        const std::size_t end = std::min(value.find(':', from), value.size());
        if (end > start)
            out.emplace_back(value.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

} // namespace rir
