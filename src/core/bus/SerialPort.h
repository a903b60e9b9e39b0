// The serial case of the bus's transport: a COM port or a pseudo-terminal with its line settings.
// The Qt adapter implements it over QSerialPort; tests implement it with a scripted fake.
#pragma once

#include "bus/Transport.h"

namespace rir {

class SerialPort : public Transport {
public:
    // Line settings with RTS held on. Failures are ignored, as they always were: a port that
    // refuses 7 data bits or RTS (a pseudo-terminal, some adapters) still carries the bytes.
    void Configure(const LineSettings& settings) override = 0;
};

} // namespace rir
