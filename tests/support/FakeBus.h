// A scripted serial port and a notification queue for driving the real bus thread in tests.
#pragma once

#include "NoteQueue.h"

#include "bus/BusThread.h"
#include "bus/SerialPort.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace rir::test {

class FakeSerialPort : public SerialPort {
public:
    // Given the bytes written since the last reply, the bytes the "supply" answers.
    // It runs under the port's lock and may change the failure switches below.
    std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>&)> answer;
    int failOpens = 0;        // refuse this many opens first
    bool refuseOpens = false; // refuse every open while set (a port that is away)
    PortError openError{PortErrorKind::NotFound, "No such file or directory"};
    bool readsFail = false;      // every read of the open port fails (the adapter was pulled)
    int bytesBeforeFailure = -1; // when 0 or more: reads fail after this many more bytes
    bool writesFail = false;     // every write of the open port fails
    PortError ioError{PortErrorKind::Removed, "Input/output error"};

    bool Open(const std::string& path) override {
        std::lock_guard<std::mutex> hold(lock_);
        openAttempts.push_back(path);
        if (failOpens > 0 || refuseOpens) {
            if (failOpens > 0)
                --failOpens;
            lastError_ = openError;
            return false;
        }
        ++opens;
        isOpen = true;
        return true;
    }
    void Configure(const LineSettings& s) override {
        std::lock_guard<std::mutex> hold(lock_);
        settings.push_back(s);
    }
    void SetReadTimeout(int totalMs, int intervalMs) override {
        std::lock_guard<std::mutex> hold(lock_);
        readTimeouts.emplace_back(totalMs, intervalMs);
    }
    ReadResult ReadByte() override {
        std::lock_guard<std::mutex> hold(lock_);
        ++reads;
        if (!pendingRequest_.empty()) {
            if (answer) {
                auto bytes = answer(pendingRequest_);
                pending_.insert(pending_.end(), bytes.begin(), bytes.end());
            }
            pendingRequest_.clear();
        }
        if (bytesBeforeFailure == 0) {
            readsFail = true;
            bytesBeforeFailure = -1;
        }
        if (readsFail) {
            pending_.clear();
            lastError_ = ioError;
            return {ReadStatus::Failed, 0};
        }
        if (pending_.empty())
            return {ReadStatus::Timeout, 0};
        const std::uint8_t b = pending_.front();
        pending_.pop_front();
        if (bytesBeforeFailure > 0)
            --bytesBeforeFailure;
        return {ReadStatus::Byte, b};
    }
    void ExpectValues(std::size_t count) override {
        std::lock_guard<std::mutex> hold(lock_);
        expectedValues.push_back(count);
    }
    bool WriteBytes(std::uint32_t value, int count) override {
        std::lock_guard<std::mutex> hold(lock_);
        if (writesFail) {
            ++failedWrites;
            lastError_ = ioError;
            return false;
        }
        writes.emplace_back(value, count);
        for (int i = 0; i < count; ++i) {
            const auto b = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
            wire.push_back(b);
            pendingRequest_.push_back(b);
        }
        return true;
    }
    // Bytes that wait on the line before any request: a reply left from before the port was
    // opened, or one that comes late.
    void Leave(const std::vector<std::uint8_t>& bytes) {
        std::lock_guard<std::mutex> hold(lock_);
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    }
    void DiscardInput(std::chrono::microseconds quiet) override {
        std::lock_guard<std::mutex> hold(lock_);
        discards.push_back({wire.size(), quiet});
        pending_.clear();
    }
    void Close() override {
        std::lock_guard<std::mutex> hold(lock_);
        ++closes;
        isOpen = false;
        pendingRequest_.clear();
        pending_.clear();
    }
    PortError lastError() const override {
        std::lock_guard<std::mutex> hold(lock_);
        return lastError_;
    }

    template <typename F> auto With(F f) {
        std::lock_guard<std::mutex> hold(lock_);
        return f();
    }

    std::vector<std::string> openAttempts;
    std::vector<LineSettings> settings;
    std::vector<std::pair<int, int>> readTimeouts;
    std::vector<std::pair<std::uint32_t, int>> writes;
    std::vector<std::uint8_t> wire;
    std::vector<std::size_t> expectedValues; // the bus thread's hints, one after each byte read
    // Each time the bus thread cleared the line: how many bytes had been written by then, and
    // the quiet it asked for.
    std::vector<std::pair<std::size_t, std::chrono::microseconds>> discards;
    int opens = 0, closes = 0, reads = 0, failedWrites = 0;
    bool isOpen = false;

private:
    mutable std::mutex lock_;
    PortError lastError_;
    std::vector<std::uint8_t> pendingRequest_;
    std::deque<std::uint8_t> pending_;
};

// The real bus thread over a fake port, with sleeps recorded instead of slept. With
// `gateRetries` each pause between attempts to open the port waits for ReleaseRetry (or the
// stop), so a test can count the attempts one by one.
struct BusRig {
    BusState state;
    BusShared shared;
    AutoResetEvent eStart{true};
    test::NoteQueue notes;
    FakeSerialPort port;
    std::mutex sleepLock;
    std::condition_variable sleepChanged;
    std::vector<int> sleeps;
    bool gateRetries = false;
    int retriesReleased = 0;
    int retriesTaken = 0;
    // The bus thread's clock, stepped by the test; and the quiet gaps it waited out, each with
    // the number of writes the port had seen when the wait began.
    std::atomic<long long> clockMicros{0};
    std::vector<std::pair<long long, std::size_t>> quietWaits;
    BusContext context{state, shared, eStart, notes, port, nullptr};
    std::thread thread;

    BusRig() {
        shared.portList = {"COM3"};
        context.clock = [this] {
            return BusClock::time_point(std::chrono::microseconds(clockMicros.load()));
        };
        context.quietWait = [this](std::chrono::microseconds wait) {
            const std::size_t written = port.With([&] { return port.writes.size(); });
            std::lock_guard<std::mutex> hold(sleepLock);
            quietWaits.emplace_back(wait.count(), written);
            return eStart.Cancelled();
        };
        context.sleep = [this](int ms) {
            std::unique_lock<std::mutex> hold(sleepLock);
            sleeps.push_back(ms);
            sleepChanged.notify_all();
            if (gateRetries && ms == context.openRetryMs) {
                while (retriesTaken == retriesReleased && !eStart.Cancelled())
                    sleepChanged.wait_for(hold, std::chrono::milliseconds(5));
                ++retriesTaken;
            }
            return eStart.Cancelled();
        };
    }
    // Lets one gated retry pause end.
    void ReleaseRetry() {
        std::lock_guard<std::mutex> hold(sleepLock);
        ++retriesReleased;
        sleepChanged.notify_all();
    }
    // Waits (up to a generous deadline) until `count` retry pauses have begun.
    bool WaitForRetryPauses(std::size_t count) {
        std::unique_lock<std::mutex> hold(sleepLock);
        return sleepChanged.wait_for(hold, std::chrono::seconds(20), [&] {
            return static_cast<std::size_t>(std::count(sleeps.begin(), sleeps.end(), context.openRetryMs)) >=
                   count;
        });
    }
    // Takes the oldest port event the thread left for the window.
    PortEvent TakePortEvent() {
        std::lock_guard<BusLock> hold(shared.lock);
        if (shared.portEvents.empty())
            return {};
        PortEvent e = shared.portEvents.front();
        shared.portEvents.pop_front();
        return e;
    }
    void Start() {
        thread = std::thread([this] { BusThreadProc(context); });
    }
    ~BusRig() {
        RequestBusStop(context);
        sleepChanged.notify_all();
        if (thread.joinable())
            thread.join();
    }
    std::vector<int> Sleeps() {
        std::lock_guard<std::mutex> hold(sleepLock);
        return sleeps;
    }
    std::vector<std::pair<long long, std::size_t>> QuietWaits() {
        std::lock_guard<std::mutex> hold(sleepLock);
        return quietWaits;
    }
    ReplyBuffer Reply() {
        std::lock_guard<BusLock> hold(shared.lock);
        return shared.replyBuffer;
    }
    CycleEnd End() {
        std::lock_guard<BusLock> hold(shared.lock);
        return shared.cycleEnd;
    }
    std::string TakeSentText() {
        std::lock_guard<BusLock> hold(shared.lock);
        std::string t;
        t.swap(shared.sentText);
        return t;
    }
};

} // namespace rir::test
