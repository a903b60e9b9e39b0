#include "QtBusNotifier.h"

#include <QCoreApplication>

namespace rir {

void QtBusNotifier::Post(BusNote note) {
    // postEvent is safe from any thread and keeps the order of posting.
    QCoreApplication::postEvent(target_.data(), new BusReplyEvent(note));
}

} // namespace rir
