#include "device/TickSchedule.h"

namespace rir {

int TickSchedule::TakeDue(MonoTime now, bool running, int limit) {
    if (!running) {
        next_.reset();
        return 0;
    }
    if (!next_) {
        next_ = now + period_;
        return 0;
    }
    int due = 0;
    while (due < limit && now >= *next_) {
        *next_ += period_;
        ++due;
    }
    return due;
}

} // namespace rir
