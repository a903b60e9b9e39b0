// The MQTT bridge's share of a core with a full bus: 127 supplies with both channels, each page's
// state published once a second to a real mosquitto on 127.0.0.1, as the station does. Prints the
// process's CPU time per wall second for the bridge's work (the caller's publishing and
// libmosquitto's own thread), and what the broker delivered to a subscriber.
//
//   mqtt_bench [seconds]      (default 30)
#include "MqttBridge.h"
#include "MqttBroker.h"
#include "plant/PlantMessages.h"

#include <mosquitto.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

double CpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        long value = 0;
        if (key == "VmRSS:" && status >> value)
            return value;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    using namespace rir;
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;
    test::MqttBroker broker("station", "bench-secret");
    if (!broker.Start()) {
        std::fprintf(stderr, "mosquitto did not start: %s\n", broker.error().c_str());
        return 1;
    }
    MqttSettings settings;
    settings.host = "127.0.0.1";
    settings.port = broker.port();
    settings.station = "bench";
    settings.user = "station";
    settings.passwordFile = broker.PasswordFile("bench-secret");
    settings.commands = true;
    MqttBridge bridge(settings);
    if (const std::string why = bridge.Start(); !why.empty()) {
        std::fprintf(stderr, "the bridge did not start: %s\n", why.c_str());
        return 1;
    }

    // A subscriber in its own process would be fairer to count; here it only confirms delivery,
    // and its share is measured apart by running once without it (see bench/README.md).
    mosquitto_lib_init();
    std::atomic<long> delivered{0};
    mosquitto* plant = mosquitto_new("bench-plant", true, &delivered);
    mosquitto_username_pw_set(plant, "station", "bench-secret");
    mosquitto_message_callback_set(plant, [](mosquitto*, void* count, const mosquitto_message*) {
        static_cast<std::atomic<long>*>(count)->fetch_add(1);
    });
    const bool subscribe = std::getenv("RIR_BENCH_NO_SUBSCRIBER") == nullptr;
    if (subscribe) {
        mosquitto_connect(plant, "127.0.0.1", broker.port(), 30);
        mosquitto_subscribe(plant, nullptr, "rir/bench/+/state", 0);
        mosquitto_loop_start(plant);
    }

    const auto connectedBy = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (bridge.link() != MqttBridge::Link::Connected && std::chrono::steady_clock::now() < connectedBy)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (bridge.link() != MqttBridge::Link::Connected) {
        std::fprintf(stderr, "the bridge did not connect\n");
        return 1;
    }

    const double cpuBefore = CpuSeconds();
    const long rssBefore = ResidentKb();
    const auto start = std::chrono::steady_clock::now();
    for (int s = 0; s < seconds; ++s) {
        for (int address = 1; address <= 127; ++address) {
            for (int channel = 0; channel < 2; ++channel) {
                PageReport report;
                report.online = true;
                report.output = true;
                report.regulation = 'I';
                report.u = 12.0 + address * 0.01;
                report.i = 1.0 + s * 0.001;
                report.uLimit = 12.5;
                report.iLimit = 1.5;
                report.program = PageReport::Program{"running", s, seconds - s};
                report.ah = s * 0.0003;
                report.time = "2026-12-11T09:15:02";
                bridge.PublishState({address, channel}, PageStateJson(report));
            }
        }
        (void)bridge.TakeCommands();
        (void)bridge.TakeLogLines();
        std::this_thread::sleep_until(start + std::chrono::seconds(s + 1));
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuBefore;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::printf("pages 254, %d s: CPU %.3f s of %.1f s wall = %.2f %% of a core%s\n", seconds, cpu, wall,
                100.0 * cpu / wall, subscribe ? " (a subscriber in the same process included)" : "");
    std::printf("states published %d, delivered to the subscriber %ld\n", 254 * seconds, delivered.load());
    std::printf("resident memory %ld kB before, %ld kB after\n", rssBefore, ResidentKb());
    if (subscribe) {
        mosquitto_loop_stop(plant, true);
        mosquitto_disconnect(plant);
    }
    mosquitto_destroy(plant);
    bridge.Stop();
    return 0;
}
