// Hands the bus thread's notifications to the main window as posted events, in order.
#pragma once

#include <QEvent>
#include <QPointer>

#include "bus/BusThread.h"

class QObject;

namespace rir {

// The event that carries one of the bus thread's notes.
class BusReplyEvent : public QEvent {
public:
    static constexpr QEvent::Type TYPE = static_cast<QEvent::Type>(QEvent::User + 100);
    explicit BusReplyEvent(BusNote note) : QEvent(TYPE), note(note) {}
    const BusNote note;
};

class QtBusNotifier : public BusNotifier {
public:
    explicit QtBusNotifier(QObject* target) : target_(target) {}
    void Post(BusNote note) override;

private:
    QPointer<QObject> target_;
};

} // namespace rir
