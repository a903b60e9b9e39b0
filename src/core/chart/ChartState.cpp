#include "chart/ChartState.h"

namespace rir {

RepaintCounter& SharedRepaintCounter() {
    static RepaintCounter counter;
    return counter;
}

} // namespace rir
