#include "PortDiscovery.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <cstdlib>

#include "bus/NetworkPort.h"

namespace rir {

std::vector<std::string> DiscoverPorts() {
    std::vector<std::string> ports;
    auto add = [&ports](const std::string& name) {
        if (!name.empty() && std::find(ports.begin(), ports.end(), name) == ports.end())
            ports.push_back(name);
    };
    if (const char* extra = std::getenv("RIR_EXTRA_PORTS"))
        for (const auto& p : SplitPortNames(extra))
            add(p);
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        add(info.systemLocation().toStdString());
    return ports;
}

} // namespace rir
