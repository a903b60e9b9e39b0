#include "QtBusNotifier.h"

#include <QCoreApplication>

namespace rir {

void QtBusNotifier::Post(int wParam, int lParam) {
    // postEvent is safe from any thread and keeps the order of posting.
    QCoreApplication::postEvent(target_.data(), new BusReplyEvent(wParam, lParam));
}

} // namespace rir
