// The core's SerialPort over QSerialPort, used in blocking mode on the bus thread. On Unix Qt opens
// the port and sets the line; the bytes go through its descriptor directly.
#pragma once

#include <QtGlobal>

#include <chrono>
#include <memory>
#include <vector>

#include "bus/SerialPort.h"

#if defined(Q_OS_UNIX)
#include "LineWait.h"
#endif

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
    void ExpectValues(std::size_t count) override { expected_ = count; }
    bool WriteBytes(std::uint32_t value, int count) override;
#if defined(Q_OS_UNIX)
    bool WriteFrame(std::span<const std::uint8_t> frame, std::size_t checksumBytes) override;
#endif
    void DiscardInput(std::chrono::microseconds quiet) override;
    void Close() override;
    PortError lastError() const override {
        return lastError_;
    }

private:
    // Writes `count` bytes of the open port, all of them or fails.
    bool WriteAll(const char* bytes, int count);
    // Records why the open port failed; always returns false.
    bool Failed();
    // Whether the line has hung up (its peer or its device is gone) although no call said so.
    bool HungUp();
#if defined(Q_OS_UNIX)
    // Records why a read or write on the descriptor failed (`error`: its errno, 0 for the end of
    // the file); always returns false.
    bool LineFailed(int error);
#endif

    std::unique_ptr<QSerialPort> port_;
    std::string path_;
    int readTimeoutMs_ = 50;
    // One character's time on the line as configured, and the values the bus thread said are
    // still on their way (see ExpectValues); both only shorten the waits' wake-ups.
    std::int64_t characterMicros_ = 0;
    std::size_t expected_ = 0;
    PortError lastError_;
#if defined(Q_OS_UNIX)
    LineWait wait_;
    // What the last read brought and has not been handed out yet.
    std::vector<std::uint8_t> readBuffer_;
    std::size_t readPos_ = 0;
#endif
};

} // namespace rir
