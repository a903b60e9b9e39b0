// Runs the bus thread as a QThread: QSerialPort wants a thread that Qt started itself (its
// blocking waits use socket notifiers, which a foreign thread may not create).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bus/BusLink.h"
#include "bus/BusThread.h"

class QThread;

namespace rir {

class QtBusThread {
public:
    // Makes the port on the bus thread itself: a port belongs to the thread that made it.
    using PortFactory = std::function<std::unique_ptr<Transport>()>;

    QtBusThread();
    ~QtBusThread();
    QtBusThread(const QtBusThread&) = delete;
    QtBusThread& operator=(const QtBusThread&) = delete;

    // Starts BusThreadProc over `link` once; later calls do nothing. The port names come from
    // the link's port list.
    void Start(BusLink& link, BusNotifier& notifier, PortFactory makePort);
    // Asks the thread to end and waits for it; used at process exit and by tests.
    void Stop();

private:
    AutoResetEvent* eStart_ = nullptr;
    std::unique_ptr<QThread> thread_;
};

} // namespace rir
