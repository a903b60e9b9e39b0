// Runs a StationHost in a Qt event loop: the bus thread, the notifier that brings its notes to
// the station's thread, and the statistics timer. Qt Core only, so that the window and the
// headless station run the station the same way.
#pragma once

#include <QObject>
#include <QTimer>

#include "QtBusNotifier.h"
#include "QtBusThread.h"
#include "app/StationHost.h"

namespace rir {

class StationRunner : public QObject {
    Q_OBJECT
public:
    // `makePort` makes the bus thread's port on the bus thread; tests may hand in their own.
    StationRunner(StationHost& host, QtBusThread::PortFactory makePort, QObject* parent = nullptr);
    // The bus thread posts to this object: it is stopped before anything it uses goes away.
    ~StationRunner() override;
    StationRunner(const StationRunner&) = delete;
    StationRunner& operator=(const StationRunner&) = delete;

    // Starts the host (the settings read), then the bus thread when there is a port, and the
    // statistics timer. False when there is no port.
    bool Start();
    // The host's close with the window's place, then the end of the bus thread. Once.
    void Close(const WindowPlacement& placement, Station::CloseReason reason);

    StationHost& host() { return host_; }

protected:
    bool event(QEvent* event) override;

private:
    StationHost& host_;
    QtBusThread::PortFactory makePort_;
    QtBusNotifier notifier_;
    QtBusThread busThread_;
    QTimer statsTimer_;
};

} // namespace rir
