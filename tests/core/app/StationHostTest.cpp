// What the station without a window refuses to start on.
#include "app/StationHost.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(StationHost, HeadlessRefusesSettingsWithoutAPortOrASupply) {
    const struct {
        const char* port;
        int tabs;
        std::optional<std::string> refusal;
    } cases[] = {
        {"", 1, "В файле настроек /etc/rir.INI не указан COM-порт! Станция без окна не запущена."},
        {"", 0, "В файле настроек /etc/rir.INI не указан COM-порт! Станция без окна не запущена."},
        {"/dev/ttyUSB0", 0,
         "В файле настроек /etc/rir.INI нет ни одного устройства! Станция без окна не запущена."},
        {"/dev/ttyUSB0", 1, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.port) + ", " + std::to_string(c.tabs));
        StoredSettings s;
        s.port = c.port;
        for (int i = 0; i < c.tabs; ++i)
            s.tabSections.push_back({"#15", 15, 0});
        EXPECT_EQ(HeadlessRefusal(s, "/etc/rir.INI"), c.refusal);
    }
}

} // namespace
} // namespace rir
