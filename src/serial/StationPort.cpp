#include "StationPort.h"

#include "QtSerialPort.h"
#include "TcpPort.h"
#include "bus/NetworkPort.h"

namespace rir {

// Made lazily: a QSerialPort belongs to the thread that made it, and this object is made on the
// bus thread, but a station on a gateway never needs one.
StationPort::StationPort() = default;
StationPort::~StationPort() = default;

bool StationPort::Open(const std::string& path) {
    if (open_ != nullptr)
        open_->Close();
    std::unique_ptr<Transport>& chosen = IsNetworkPortName(path) ? network_ : serial_;
    if (!chosen) {
        if (IsNetworkPortName(path))
            chosen = std::make_unique<TcpPort>();
        else
            chosen = std::make_unique<QtSerialPort>();
    }
    open_ = chosen.get();
    return open_->Open(path);
}

void StationPort::Configure(const LineSettings& settings) {
    if (open_ != nullptr)
        open_->Configure(settings);
}

void StationPort::SetReadTimeout(int totalMs, int intervalMs) {
    if (open_ != nullptr)
        open_->SetReadTimeout(totalMs, intervalMs);
}

ReadResult StationPort::ReadByte() {
    return open_ != nullptr ? open_->ReadByte() : ReadResult{ReadStatus::Failed, 0};
}

void StationPort::ExpectValues(std::size_t count) {
    if (open_ != nullptr)
        open_->ExpectValues(count);
}

bool StationPort::WriteBytes(std::uint32_t value, int count) {
    return open_ != nullptr && open_->WriteBytes(value, count);
}

bool StationPort::WriteFrame(std::span<const std::uint8_t> frame, std::size_t checksumBytes) {
    return open_ != nullptr && open_->WriteFrame(frame, checksumBytes);
}

void StationPort::DiscardInput(std::chrono::microseconds quiet) {
    if (open_ != nullptr)
        open_->DiscardInput(quiet);
}

void StationPort::Close() {
    if (open_ != nullptr)
        open_->Close();
}

PortError StationPort::lastError() const {
    return open_ != nullptr ? open_->lastError() : PortError{PortErrorKind::Other, "the port is not open"};
}

std::unique_ptr<Transport> MakeStationPort() {
    return std::make_unique<StationPort>();
}

} // namespace rir
