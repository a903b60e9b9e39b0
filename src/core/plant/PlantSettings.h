// The [MQTT] section of the station's settings file: where the plant's broker is, what this
// station is called there, who it logs in as, and whether the plant may send it commands.
#pragma once

#include <map>
#include <string>
#include <variant>

namespace rir {

inline constexpr int MQTT_DEFAULT_PORT = 1883;
inline constexpr int MQTT_DEFAULT_TLS_PORT = 8883;

struct MqttSettings {
    std::string host;
    int port = MQTT_DEFAULT_PORT;
    std::string station;      // the <station> of rir/<station>/...
    std::string user;         // empty: an anonymous connection, which never takes commands
    std::string passwordFile; // the password on its first line; never the password itself
    std::string caFile;       // TLS with this authority when given
    bool commands = false;    // Commands=1: subscribe to <address>/set
};

// The section's keys as the settings file holds them (Host, Port, Station, User, PasswordFile,
// CAFile, Commands), or what is wrong with them. Unknown keys are left to the file.
std::variant<MqttSettings, std::string> ReadMqttSettings(const std::map<std::string, std::string>& keys);

} // namespace rir
