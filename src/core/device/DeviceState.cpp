#include "device/DeviceState.h"

namespace rir {

DeviceState MakeDeviceState(int address, int channel) {
    DeviceState s;
    s.address = address;
    s.channel = channel;
    return s;
}

} // namespace rir
