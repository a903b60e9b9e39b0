// What the bus thread needs of a serial port. The Qt adapter implements it over QSerialPort;
// tests implement it with a scripted fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rir {

enum class Parity { None, Even };

struct LineSettings {
    int baud = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;

    bool operator==(const LineSettings&) const = default;
};

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Read and write, exclusive. False when the port cannot be opened (missing, busy).
    virtual bool Open(const std::string& path) = 0;
    // Line settings with RTS held on. Failures are ignored, as they always were: a port that
    // refuses 7 data bits or RTS (a pseudo-terminal, some adapters) still carries the bytes.
    virtual void Configure(const LineSettings& settings) = 0;
    // One ReadByte waits at most totalMs for its byte.
    virtual void SetReadTimeout(int totalMs, int intervalMs) = 0;
    virtual std::optional<std::uint8_t> ReadByte() = 0;
    // Writes the low `count` bytes of value, low byte first. The result is not checked.
    virtual void WriteBytes(std::uint32_t value, int count) = 0;
    virtual void Close() = 0;
};

} // namespace rir
