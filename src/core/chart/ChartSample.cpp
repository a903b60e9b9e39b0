#include "chart/ChartSample.h"

#include <ctime>

namespace rir {

StampTime SystemStampTime() {
    return std::chrono::system_clock::now();
}

std::string StampText(const std::optional<StampTime>& stamp) {
    if (!stamp)
        return {};
    const std::time_t t = std::chrono::system_clock::to_time_t(*stamp);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return {};
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%c", &local);
    return {buffer, n};
}

} // namespace rir
