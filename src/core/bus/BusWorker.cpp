#include "bus/BusWorker.h"

namespace rir {

void BusWorker::Start(BusState& state, BusShared& shared, AutoResetEvent& eStart, BusNotifier& notifier,
                      std::vector<std::string> portList, PortFactory makePort) {
    if (thread_.joinable())
        return;
    eStart_ = &eStart;
    thread_ = std::thread([&state, &shared, &eStart, &notifier, ports = std::move(portList),
                           makePort = std::move(makePort)]() mutable {
        std::unique_ptr<SerialPort> port = makePort();
        if (!port)
            return;
        BusContext context{state, shared, eStart, notifier, *port, std::move(ports), nullptr};
        BusThreadProc(context);
    });
}

void BusWorker::Stop() {
    if (!thread_.joinable())
        return;
    eStart_->Cancel();
    thread_.join();
}

} // namespace rir
