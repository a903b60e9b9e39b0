// The station's bridge to the plant's MQTT broker, over libmosquitto: it keeps the station's
// status and every page's latest state published (retained), and hands the commands that arrive on
// this station's own topics to whoever polls for them. It never blocks its caller on the network:
// the connection, its loss and the reconnection with back-off live on libmosquitto's thread, and
// while the broker is away only the latest state of each page waits, never a growing queue.
//
// Qt-free, so that the window and the headless station share it. Thread-safe: the caller's
// thread publishes and takes; libmosquitto's thread fills what is taken.
#pragma once

#include "plant/PlantMessages.h"
#include "plant/PlantSettings.h"

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace rir {

// Commands waiting to be taken; more are refused (said once) until the station takes them.
inline constexpr std::size_t MQTT_COMMANDS_WAITING_MAX = 64;
// Lines waiting for the station's log.
inline constexpr std::size_t MQTT_LOG_LINES_MAX = 100;
// Reconnection after a loss: 1 s at first, doubling up to 30 s.
inline constexpr unsigned MQTT_RECONNECT_FIRST_S = 1;
inline constexpr unsigned MQTT_RECONNECT_LAST_S = 30;
inline constexpr int MQTT_KEEPALIVE_S = 30;

class MqttBridge {
public:
    struct Command {
        PageRef page;
        std::string payload;
    };
    enum class Link { Stopped, Connecting, Connected, Refused, Lost };

    explicit MqttBridge(MqttSettings settings);
    ~MqttBridge();
    MqttBridge(const MqttBridge&) = delete;
    MqttBridge& operator=(const MqttBridge&) = delete;

    // Reads the password file and starts connecting in the background. The reason when it cannot
    // start (the password file unreadable, TLS refused); "" when it runs.
    std::string Start();
    // Says "offline" on the status topic and disconnects.
    void Stop();

    // The page's state as it is now; published at once when connected, else kept (the latest
    // only) for the reconnection.
    void PublishState(PageRef page, const std::string& json);
    // The answer to a command; dropped when the broker is away (the plant asks again).
    void PublishResult(PageRef page, const std::string& json);

    std::vector<Command> TakeCommands();
    // What happened to the connection, for the station's log: "MQTT: …". Never a password.
    std::vector<std::string> TakeLogLines();

    Link link() const;
    // For the status line: "MQTT: связь с 127.0.0.1:1883", "MQTT: нет связи с 127.0.0.1:1883".
    std::string LinkText() const;
    // Pages whose state waits for the broker.
    std::size_t waitingStates() const;
    const MqttSettings& settings() const { return settings_; }

private:
    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);

    void Connected();
    void Log(std::string line); // with mutex_ held
    static int Key(PageRef page) { return page.address * 2 + page.channel; }
    bool PublishNow(const std::string& topic, const std::string& payload, int qos, bool retain);

    MqttSettings settings_;
    mosquitto* mosq_ = nullptr;
    mutable std::mutex mutex_;
    Link link_ = Link::Stopped;
    std::map<int, std::string> latest_; // page key -> latest state
    std::map<int, bool> waiting_;       // page key -> not yet published since it changed
    std::deque<Command> commands_;
    bool commandsOverflowSaid_ = false;
    std::deque<std::string> logLines_;
};

} // namespace rir
