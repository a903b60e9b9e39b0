#include "PortDiscovery.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <cstdlib>

namespace rir {

std::vector<std::string> SplitExtraPorts(const std::string& value) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= value.size()) {
        const std::size_t end = std::min(value.find(':', start), value.size());
        if (end > start)
            out.push_back(value.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::vector<std::string> DiscoverPorts() {
    std::vector<std::string> ports;
    auto add = [&ports](const std::string& name) {
        if (!name.empty() && std::find(ports.begin(), ports.end(), name) == ports.end())
            ports.push_back(name);
    };
    if (const char* extra = std::getenv("RIR_EXTRA_PORTS"))
        for (const auto& p : SplitExtraPorts(extra))
            add(p);
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        add(info.systemLocation().toStdString());
    return ports;
}

} // namespace rir
