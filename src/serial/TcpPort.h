// The bus over a serial-to-Ethernet gateway: a raw TCP stream to "tcp://HOST:PORT" that carries
// the same RTU or ASCII bytes as the line (POSIX sockets, blocking calls with their own
// time-outs, on the bus thread only).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bus/Transport.h"

namespace rir {

class TcpPort : public Transport {
public:
    TcpPort() = default;
    ~TcpPort() override;
    TcpPort(const TcpPort&) = delete;
    TcpPort& operator=(const TcpPort&) = delete;

    // Connects within NETWORK_CONNECT_TIMEOUT_MS; a name that is not "tcp://HOST:PORT" is
    // refused as not found.
    bool Open(const std::string& path) override;
    // The line's speed lives in the gateway; the read time-out gets the network's allowance.
    void SetReadTimeout(int totalMs, int intervalMs) override;
    ReadResult ReadByte() override;
    bool WriteBytes(std::uint32_t value, int count) override;
    // The frame in one send: a gateway forwards what comes together as one burst on its line.
    bool WriteFrame(std::span<const std::uint8_t> frame, std::size_t checksumBytes) override;
    void DiscardInput(std::chrono::microseconds quiet) override;
    void Close() override;
    PortError lastError() const override { return lastError_; }

private:
    bool SendAll(const std::uint8_t* bytes, std::size_t count);
    // Records why the connection failed (`error`: errno, 0 for the peer's close); returns false.
    bool ConnectionFailed(int error);

    int fd_ = -1;
    int readTimeoutMs_ = 50;
    std::vector<std::uint8_t> readBuffer_;
    std::size_t readPos_ = 0;
    PortError lastError_;
};

} // namespace rir
