#include "QtBusThread.h"

#include <QThread>

namespace rir {

QtBusThread::QtBusThread() = default;

QtBusThread::~QtBusThread() {
    Stop();
}

void QtBusThread::Start(BusState& state, BusShared& shared, AutoResetEvent& eStart, BusNotifier& notifier,
                        PortFactory makePort) {
    if (thread_)
        return;
    eStart_ = &eStart;
    thread_.reset(
        QThread::create([&state, &shared, &eStart, &notifier, makePort = std::move(makePort)]() mutable {
            std::unique_ptr<SerialPort> port = makePort();
            if (!port)
                return;
            BusContext context{state, shared, eStart, notifier, *port, nullptr};
            BusThreadProc(context);
        }));
    thread_->setObjectName(QStringLiteral("bus"));
    thread_->start();
}

void QtBusThread::Stop() {
    if (!thread_)
        return;
    eStart_->Cancel();
    thread_->wait();
    thread_.reset();
}

} // namespace rir
