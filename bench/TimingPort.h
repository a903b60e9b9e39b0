// The Qt serial adapter with a stopwatch around it: every request and every byte read is
// time-stamped, so a slow bus cycle can be taken apart into its pieces afterwards.
#pragma once

#include "QtSerialPort.h"

#include <chrono>
#include <vector>

namespace rir {

// One request and its answer as the bus thread saw them on the port.
struct PortCycle {
    using Clock = std::chrono::steady_clock;
    Clock::time_point writeStart; // before the request's first write
    Clock::time_point writeEnd;   // after its last write had drained
    Clock::time_point firstByte;  // the first reply byte was handed over (unset: no reply)
    Clock::time_point lastByte;   // the last reply byte was handed over
    Clock::time_point readEnd;    // the read that found the line silent returned; with fast
                                  // polling, a whole reply ends at its last byte instead
    int requestBytes = 0;         // written
    int bytes = 0;                // read
    int address = -1;             // the request's first byte (RTU and ASCII: the address)
    int function = -1;            // its second byte (the function code)
};

// Forwards everything to a QtSerialPort. The cycles are written on the bus thread only; read
// them after the thread has ended.
class TimingPort : public SerialPort {
public:
    explicit TimingPort(std::vector<PortCycle>& cycles) : cycles_(cycles) {}
    ~TimingPort() override;

    bool Open(const std::string& path) override { return port_.Open(path); }
    void Configure(const LineSettings& settings) override { port_.Configure(settings); }
    void SetReadTimeout(int totalMs, int intervalMs) override { port_.SetReadTimeout(totalMs, intervalMs); }
    ReadResult ReadByte() override;
    void ExpectValues(std::size_t count) override { port_.ExpectValues(count); }
    bool WriteBytes(std::uint32_t value, int count) override;
    bool WriteFrame(std::span<const std::uint8_t> frame, std::size_t checksumBytes) override;
    void DiscardInput(std::chrono::microseconds quiet) override { port_.DiscardInput(quiet); }
    void Close() override;
    PortError lastError() const override { return port_.lastError(); }

private:
    enum class Phase { Idle, Writing, Reading };
    void Finish();

    QtSerialPort port_;
    std::vector<PortCycle>& cycles_;
    Phase phase_ = Phase::Idle;
    PortCycle current_;
};

} // namespace rir
