#include "StationRunner.h"

#include <chrono>
#include <utility>

namespace rir {

StationRunner::StationRunner(StationHost& host, QtBusThread::PortFactory makePort, QObject* parent)
    : QObject(parent), host_(host), makePort_(std::move(makePort)), notifier_(this) {
    connect(&statsTimer_, &QTimer::timeout, this,
            [this] { host_.OnTimer(std::chrono::steady_clock::now()); });
}

StationRunner::~StationRunner() {
    busThread_.Stop();
}

bool StationRunner::Start() {
    const bool ok = host_.Start();
    if (ok)
        busThread_.Start(host_.station().busLink(), notifier_, makePort_);
    statsTimer_.start(STATS_TIMER_MS);
    return ok;
}

void StationRunner::Close(const WindowPlacement& placement, Station::CloseReason reason) {
    host_.Close(placement, reason);
    statsTimer_.stop();
    busThread_.Stop();
}

bool StationRunner::event(QEvent* event) {
    if (event->type() == BusReplyEvent::TYPE) {
        host_.OnBusNote(static_cast<BusReplyEvent*>(event)->note);
        return true;
    }
    return QObject::event(event);
}

} // namespace rir
