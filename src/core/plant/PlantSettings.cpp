#include "plant/PlantSettings.h"

#include "plant/PlantMessages.h"

#include <charconv>

namespace rir {

std::variant<MqttSettings, std::string> ReadMqttSettings(const std::map<std::string, std::string>& keys) {
    const auto get = [&keys](const char* key) {
        const auto it = keys.find(key);
        return it == keys.end() ? std::string() : it->second;
    };
    MqttSettings s;
    s.host = get("Host");
    if (s.host.empty())
        return std::string("не задан Host");
    s.caFile = get("CAFile");
    s.port = s.caFile.empty() ? MQTT_DEFAULT_PORT : MQTT_DEFAULT_TLS_PORT;
    if (const std::string port = get("Port"); !port.empty()) {
        int value = 0;
        const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (ec != std::errc() || end != port.data() + port.size() || value < 1 || value > 65535)
            return "Port \"" + port + "\" не номер порта 1…65535";
        s.port = value;
    }
    s.station = get("Station");
    if (!ValidStationName(s.station))
        return "Station \"" + s.station + "\": нужно 1…64 латинских букв, цифр, \"-\", \"_\" или \".\"";
    s.user = get("User");
    s.passwordFile = get("PasswordFile");
    if (!s.user.empty() && s.passwordFile.empty())
        return std::string("для User нужен PasswordFile");
    const std::string commands = get("Commands");
    if (commands != "" && commands != "0" && commands != "1")
        return "Commands \"" + commands + "\": нужно 0 или 1";
    s.commands = commands == "1";
    // Commands only ever come through a login the broker checked.
    if (s.commands && s.user.empty())
        return std::string("Commands=1 без User: команды принимаются только от проверенного брокером входа");
    return s;
}

} // namespace rir
