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
    ReadResult ReadByte() override;
    bool WriteBytes(std::uint32_t value, int count) override;
    void Close() override;
    PortError lastError() const override { return lastError_; }

private:
    // Records why the open port failed; always returns false.
    bool Failed();
    // Whether the line has hung up (its peer or its device is gone) although no call said so.
    bool HungUp();

    std::unique_ptr<QSerialPort> port_;
    std::string path_;
    int readTimeoutMs_ = 50;
    PortError lastError_;
};

} // namespace rir
