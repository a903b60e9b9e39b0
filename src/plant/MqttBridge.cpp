#include "MqttBridge.h"

#include <mosquitto.h>

#include <fstream>

namespace rir {

namespace {

std::once_flag g_libraryReady;

std::string Where(const MqttSettings& s) {
    return s.host + ":" + std::to_string(s.port);
}

} // namespace

MqttBridge::MqttBridge(MqttSettings settings) : settings_(std::move(settings)) {
    std::call_once(g_libraryReady, [] { mosquitto_lib_init(); });
}

MqttBridge::~MqttBridge() {
    Stop();
}

std::string MqttBridge::Start() {
    if (mosq_ != nullptr)
        return {};
    std::string password;
    if (!settings_.user.empty()) {
        std::ifstream in(settings_.passwordFile);
        if (!in || !std::getline(in, password))
            return "не прочитать PasswordFile " + settings_.passwordFile;
        while (!password.empty() && (password.back() == '\r' || password.back() == '\n'))
            password.pop_back();
    }
    mosq_ = mosquitto_new(nullptr, true, this);
    if (mosq_ == nullptr)
        return "libmosquitto: нет памяти";
    mosquitto_connect_callback_set(mosq_, &MqttBridge::OnConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttBridge::OnDisconnect);
    mosquitto_message_callback_set(mosq_, &MqttBridge::OnMessage);
    mosquitto_reconnect_delay_set(mosq_, MQTT_RECONNECT_FIRST_S, MQTT_RECONNECT_LAST_S, true);
    if (!settings_.user.empty())
        mosquitto_username_pw_set(mosq_, settings_.user.c_str(), password.c_str());
    if (!settings_.caFile.empty()) {
        const int rc = mosquitto_tls_set(mosq_, settings_.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            mosquitto_destroy(mosq_);
            mosq_ = nullptr;
            return "TLS с CAFile " + settings_.caFile + ": " + mosquitto_strerror(rc);
        }
    }
    // The broker says "offline" for us when the connection breaks without a goodbye.
    const std::string status = StationTopic(settings_.station, "status");
    mosquitto_will_set(mosq_, status.c_str(), 7, "offline", 1, true);
    {
        std::lock_guard lock(mutex_);
        link_ = Link::Connecting;
    }
    // A broker not there yet is no error here: the loop keeps trying, with back-off.
    mosquitto_connect_async(mosq_, settings_.host.c_str(), settings_.port, MQTT_KEEPALIVE_S);
    const int rc = mosquitto_loop_start(mosq_);
    if (rc != MOSQ_ERR_SUCCESS) {
        mosquitto_destroy(mosq_);
        mosq_ = nullptr;
        std::lock_guard lock(mutex_);
        link_ = Link::Stopped;
        return std::string("libmosquitto: ") + mosquitto_strerror(rc);
    }
    return {};
}

void MqttBridge::Stop() {
    if (mosq_ == nullptr)
        return;
    if (link() == Link::Connected) {
        const std::string status = StationTopic(settings_.station, "status");
        mosquitto_publish(mosq_, nullptr, status.c_str(), 7, "offline", 1, true);
    }
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, false);
    mosquitto_destroy(mosq_);
    mosq_ = nullptr;
    std::lock_guard lock(mutex_);
    link_ = Link::Stopped;
}

bool MqttBridge::PublishNow(const std::string& topic, const std::string& payload, int qos, bool retain) {
    return mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(),
                             qos, retain) == MOSQ_ERR_SUCCESS;
}

void MqttBridge::PublishState(PageRef page, const std::string& json) {
    std::unique_lock lock(mutex_);
    latest_[Key(page)] = json;
    const bool connected = link_ == Link::Connected && mosq_ != nullptr;
    waiting_[Key(page)] = true;
    lock.unlock();
    if (!connected)
        return;
    if (PublishNow(PageTopic(settings_.station, page.address, page.channel, "state"), json, 0, true)) {
        lock.lock();
        if (latest_[Key(page)] == json)
            waiting_.erase(Key(page));
    }
}

void MqttBridge::PublishResult(PageRef page, const std::string& json) {
    if (mosq_ != nullptr && link() == Link::Connected)
        PublishNow(PageTopic(settings_.station, page.address, page.channel, "result"), json, 1, false);
}

std::vector<MqttBridge::Command> MqttBridge::TakeCommands() {
    std::lock_guard lock(mutex_);
    std::vector<Command> out(std::make_move_iterator(commands_.begin()),
                             std::make_move_iterator(commands_.end()));
    commands_.clear();
    commandsOverflowSaid_ = false;
    return out;
}

std::vector<std::string> MqttBridge::TakeLogLines() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out(logLines_.begin(), logLines_.end());
    logLines_.clear();
    return out;
}

MqttBridge::Link MqttBridge::link() const {
    std::lock_guard lock(mutex_);
    return link_;
}

std::string MqttBridge::LinkText() const {
    switch (link()) {
    case Link::Connected:
        return "MQTT: связь с " + Where(settings_);
    case Link::Connecting:
        return "MQTT: подключение к " + Where(settings_);
    case Link::Refused:
        return "MQTT: брокер " + Where(settings_) + " отказал во входе";
    case Link::Lost:
        return "MQTT: нет связи с " + Where(settings_);
    case Link::Stopped:
        break;
    }
    return {};
}

std::size_t MqttBridge::waitingStates() const {
    std::lock_guard lock(mutex_);
    return waiting_.size();
}

void MqttBridge::Log(std::string line) {
    if (logLines_.size() >= MQTT_LOG_LINES_MAX)
        logLines_.pop_front();
    logLines_.push_back(std::move(line));
}

void MqttBridge::OnConnect(mosquitto*, void* self, int rc) {
    auto* bridge = static_cast<MqttBridge*>(self);
    if (rc == 0) {
        bridge->Connected();
        return;
    }
    std::lock_guard lock(bridge->mutex_);
    const bool said = bridge->link_ == Link::Refused;
    bridge->link_ = Link::Refused;
    if (!said)
        bridge->Log("MQTT: брокер " + Where(bridge->settings_) + " отказал во входе" +
                    (bridge->settings_.user.empty() ? "" : " пользователю " + bridge->settings_.user) + ": " +
                    mosquitto_connack_string(rc) + "; повторяем");
}

void MqttBridge::Connected() {
    const std::string status = StationTopic(settings_.station, "status");
    PublishNow(status, "online", 1, true);
    if (settings_.commands) {
        const std::string commands = StationTopic(settings_.station, "+/set");
        mosquitto_subscribe(mosq_, nullptr, commands.c_str(), 1);
    }
    std::map<int, std::string> pending;
    {
        std::lock_guard lock(mutex_);
        link_ = Link::Connected;
        Log("MQTT: связь с брокером " + Where(settings_) +
            (settings_.commands ? ", команды принимаются" : ""));
        for (const auto& [key, waiting] : waiting_)
            pending[key] = latest_[key];
    }
    for (const auto& [key, json] : pending) {
        const PageRef page{key / 2, key % 2};
        if (PublishNow(PageTopic(settings_.station, page.address, page.channel, "state"), json, 0, true)) {
            std::lock_guard lock(mutex_);
            if (latest_[key] == json)
                waiting_.erase(key);
        }
    }
}

void MqttBridge::OnDisconnect(mosquitto*, void* self, int rc) {
    auto* bridge = static_cast<MqttBridge*>(self);
    std::lock_guard lock(bridge->mutex_);
    if (rc == 0 || bridge->link_ == Link::Stopped)
        return; // our own goodbye
    if (bridge->link_ == Link::Connected)
        bridge->Log("MQTT: связь с брокером " + Where(bridge->settings_) +
                    " потеряна, опрос идёт дальше; повторяем подключение");
    if (bridge->link_ != Link::Refused)
        bridge->link_ = Link::Lost;
}

void MqttBridge::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* bridge = static_cast<MqttBridge*>(self);
    if (!bridge->settings_.commands || message == nullptr || message->topic == nullptr)
        return;
    const auto page = ParseCommandTopic(message->topic, bridge->settings_.station);
    std::lock_guard lock(bridge->mutex_);
    if (!page) {
        // Only <address>/set under our own name is subscribed to; "rir/<station>/x/set" is not a page.
        bridge->Log(std::string("MQTT: команда на ") + message->topic + " не к устройству, не выполнена");
        return;
    }
    if (bridge->commands_.size() >= MQTT_COMMANDS_WAITING_MAX) {
        if (!bridge->commandsOverflowSaid_)
            bridge->Log("MQTT: команд больше " + std::to_string(MQTT_COMMANDS_WAITING_MAX) +
                        " ждут выполнения, новые не принимаются");
        bridge->commandsOverflowSaid_ = true;
        return;
    }
    const auto length = static_cast<std::size_t>(message->payloadlen > 0 ? message->payloadlen : 0);
    // Longer than any command: cut to one byte more than is taken, so the reader refuses it.
    const std::size_t kept = std::min(length, PLANT_COMMAND_MAX_BYTES + 1);
    bridge->commands_.push_back({*page, std::string(static_cast<const char*>(message->payload), kept)});
}

} // namespace rir
