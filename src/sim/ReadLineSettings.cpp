// Kept apart from everything that includes <termios.h>: the kernel's struct termios2, which
// carries any speed (14400 and 56000 are set through BOTHER), clashes with the C library's.
#include "PtyPort.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace rir::sim {

std::optional<LineSettings> ReadLineSettings(int masterFd) {
    termios2 tio{};
    if (ioctl(masterFd, TCGETS2, &tio) != 0)
        return std::nullopt;
    LineSettings line;
    // The kernel fills c_ospeed with the real speed whether it was set as a Bxxx code or BOTHER.
    line.baud = static_cast<int>(tio.c_ospeed);
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        line.dataBits = 5;
        break;
    case CS6:
        line.dataBits = 6;
        break;
    case CS7:
        line.dataBits = 7;
        break;
    default:
        line.dataBits = 8;
        break;
    }
    line.parity = (tio.c_cflag & PARENB) != 0;
    line.stopBits = (tio.c_cflag & CSTOPB) != 0 ? 2 : 1;
    return line;
}

} // namespace rir::sim
