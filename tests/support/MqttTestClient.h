// A plant system as the tests play it: a libmosquitto client that logs in, subscribes, collects
// what arrives and publishes commands.
#pragma once

#include <mosquitto.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace rir::test {

class MqttTestClient {
public:
    struct Message {
        std::string topic, payload;
        bool retained = false;
    };

    MqttTestClient() {
        mosquitto_lib_init();
        mosq_ = mosquitto_new(nullptr, true, this);
        mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
            auto* c = static_cast<MqttTestClient*>(self);
            std::lock_guard lock(c->mutex_);
            c->messages_.push_back(
                {m->topic,
                 std::string(static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen)),
                 m->retain});
            c->changed_.notify_all();
        });
    }
    ~MqttTestClient() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, true);
        mosquitto_destroy(mosq_);
    }
    MqttTestClient(const MqttTestClient&) = delete;
    MqttTestClient& operator=(const MqttTestClient&) = delete;

    // True when the broker took the login.
    bool Connect(int port, const std::string& user, const std::string& password) {
        mosquitto_username_pw_set(mosq_, user.c_str(), password.c_str());
        mosquitto_connect_callback_set(mosq_, [](mosquitto*, void* self, int rc) {
            auto* c = static_cast<MqttTestClient*>(self);
            std::lock_guard lock(c->mutex_);
            c->connack_ = rc;
            c->changed_.notify_all();
        });
        if (mosquitto_connect(mosq_, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS)
            return false;
        mosquitto_loop_start(mosq_);
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [this] { return connack_ >= 0; });
        return connack_ == 0;
    }
    void Subscribe(const std::string& pattern) { mosquitto_subscribe(mosq_, nullptr, pattern.c_str(), 1); }
    void Publish(const std::string& topic, const std::string& payload) {
        mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), 1,
                          false);
    }
    // The first message (from `from` on) on `topic` that `accept` takes, within the deadline.
    std::optional<Message> WaitFor(const std::string& topic, std::function<bool(const Message&)> accept = {},
                                   std::chrono::seconds deadline = std::chrono::seconds(20)) {
        std::unique_lock lock(mutex_);
        std::optional<Message> found;
        changed_.wait_for(lock, deadline, [&] {
            for (const Message& m : messages_)
                if (m.topic == topic && (!accept || accept(m))) {
                    found = m;
                    return true;
                }
            return false;
        });
        return found;
    }
    std::vector<Message> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }

private:
    mosquitto* mosq_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Message> messages_;
    int connack_ = -1;
};

} // namespace rir::test
