// The port the station opens by name: a gateway's "tcp://HOST:PORT" over TCP, anything else a
// serial line. The bus thread makes one and opens whatever the operator picks, one after another.
#pragma once

#include <memory>

#include "bus/Transport.h"

namespace rir {

class StationPort : public Transport {
public:
    StationPort();
    ~StationPort() override;

    bool Open(const std::string& path) override;
    void Configure(const LineSettings& settings) override;
    void SetReadTimeout(int totalMs, int intervalMs) override;
    ReadResult ReadByte() override;
    void ExpectValues(std::size_t count) override;
    bool WriteBytes(std::uint32_t value, int count) override;
    bool WriteFrame(std::span<const std::uint8_t> frame, std::size_t checksumBytes) override;
    void DiscardInput(std::chrono::microseconds quiet) override;
    void Close() override;
    PortError lastError() const override;

private:
    std::unique_ptr<Transport> serial_, network_;
    Transport* open_ = nullptr; // the one the last Open chose
};

// What the programs hand the bus thread: a StationPort.
std::unique_ptr<Transport> MakeStationPort();

} // namespace rir
