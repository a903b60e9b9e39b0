// The core's SerialPort over QSerialPort, used in blocking mode on the bus thread.
#pragma once

#include <memory>

#include "bus/SerialPort.h"

class QSerialPort;

namespace rir {

// Create, use and destroy it on the bus thread only: QSerialPort belongs to the thread that
// made it, and the bus thread has no event loop, so every call blocks with its own time-out.
class QtSerialPort : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;

    bool Open(const std::string& path) override;
    void Configure(const LineSettings& settings) override;
    void SetReadTimeout(int totalMs, int intervalMs) override;
    std::optional<std::uint8_t> ReadByte() override;
    void WriteBytes(std::uint32_t value, int count) override;
    void Close() override;

private:
    std::unique_ptr<QSerialPort> port_;
    int readTimeoutMs_ = 50;
};

} // namespace rir
