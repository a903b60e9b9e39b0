// Hands the bus thread's notifications to the main window as posted events, in order.
#pragma once

#include <QEvent>
#include <QPointer>

#include "bus/BusThread.h"

class QObject;

namespace rir {

// The event that carries WM_BUS_REPLY's two numbers.
class BusReplyEvent : public QEvent {
public:
    static constexpr QEvent::Type TYPE = static_cast<QEvent::Type>(QEvent::User + 100);
    BusReplyEvent(int wParam, int lParam) : QEvent(TYPE), wParam(wParam), lParam(lParam) {}
    const int wParam;
    const int lParam;
};

class QtBusNotifier : public BusNotifier {
public:
    explicit QtBusNotifier(QObject* target) : target_(target) {}
    void Post(int wParam, int lParam) override;

private:
    QPointer<QObject> target_;
};

} // namespace rir
