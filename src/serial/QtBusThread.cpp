#include "QtBusThread.h"

#include <QThread>

namespace rir {

QtBusThread::QtBusThread() = default;

QtBusThread::~QtBusThread() {
    Stop();
}

void QtBusThread::Start(BusLink& link, BusNotifier& notifier, PortFactory makePort) {
    if (thread_)
        return;
    eStart_ = &link.eStart();
    thread_.reset(QThread::create([&link, &notifier, makePort = std::move(makePort)]() mutable {
        std::unique_ptr<Transport> port = makePort();
        if (!port)
            return;
        BusContext context = link.Context(notifier, *port);
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
