// Owns the bus thread: starts it once, stops it at process exit.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "bus/BusThread.h"

namespace rir {

class BusWorker {
public:
    // Makes the port on the bus thread itself: a port object may belong to the thread that made it.
    using PortFactory = std::function<std::unique_ptr<SerialPort>()>;

    BusWorker() = default;
    BusWorker(const BusWorker&) = delete;
    BusWorker& operator=(const BusWorker&) = delete;
    ~BusWorker() { Stop(); }

    void Start(BusState& state, BusShared& shared, AutoResetEvent& eStart, BusNotifier& notifier,
               std::vector<std::string> portList, PortFactory makePort);
    // Asks the thread to end and waits for it. Harmless when it never started.
    void Stop();
    bool Running() const { return thread_.joinable(); }

private:
    AutoResetEvent* eStart_ = nullptr;
    std::thread thread_;
};

} // namespace rir
