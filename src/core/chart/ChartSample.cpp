#include "chart/ChartSample.h"

#include <ctime>

namespace rir {

ChartSample::ChartSample(int time, int currLimit, int voltLimit, int output, bool stampWanted)
    : time(time), voltLimit(voltLimit), currLimit(currLimit), output(output) {
    if (stampWanted)
        stamp = LocalTimeStamp();
}

std::string LocalTimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr)
        return {};
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%c", &local);
    return std::string(buffer, n);
}

} // namespace rir
