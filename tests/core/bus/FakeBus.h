// A scripted serial port and a notification queue for driving the real bus thread in tests.
#pragma once

#include "NoteQueue.h"

#include "bus/BusThread.h"

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
    std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>&)> answer;
    int failOpens = 0; // refuse this many opens first

    bool Open(const std::string& path) override {
        std::lock_guard<std::mutex> hold(lock_);
        openAttempts.push_back(path);
        if (failOpens > 0) {
            --failOpens;
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
    std::optional<std::uint8_t> ReadByte() override {
        std::lock_guard<std::mutex> hold(lock_);
        ++reads;
        if (!pendingRequest_.empty()) {
            if (answer) {
                auto bytes = answer(pendingRequest_);
                pending_.insert(pending_.end(), bytes.begin(), bytes.end());
            }
            pendingRequest_.clear();
        }
        if (pending_.empty())
            return std::nullopt;
        const std::uint8_t b = pending_.front();
        pending_.pop_front();
        return b;
    }
    void WriteBytes(std::uint32_t value, int count) override {
        std::lock_guard<std::mutex> hold(lock_);
        writes.emplace_back(value, count);
        for (int i = 0; i < count; ++i) {
            const auto b = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
            wire.push_back(b);
            pendingRequest_.push_back(b);
        }
    }
    void Close() override {
        std::lock_guard<std::mutex> hold(lock_);
        ++closes;
        isOpen = false;
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
    int opens = 0, closes = 0, reads = 0;
    bool isOpen = false;

private:
    std::mutex lock_;
    std::vector<std::uint8_t> pendingRequest_;
    std::deque<std::uint8_t> pending_;
};

// The real bus thread over a fake port, with sleeps recorded instead of slept.
struct BusRig {
    BusState state;
    BusShared shared;
    AutoResetEvent eStart{true};
    test::NoteQueue notes;
    FakeSerialPort port;
    std::mutex sleepLock;
    std::vector<int> sleeps;
    BusContext context{state, shared, eStart, notes, port, {"COM3"}, nullptr};
    std::thread thread;

    BusRig() {
        context.sleep = [this](int ms) {
            {
                std::lock_guard<std::mutex> hold(sleepLock);
                sleeps.push_back(ms);
            }
            return eStart.Cancelled();
        };
    }
    void Start() {
        thread = std::thread([this] { BusThreadProc(context); });
    }
    ~BusRig() {
        RequestBusStop(context);
        if (thread.joinable())
            thread.join();
    }
    std::vector<int> Sleeps() {
        std::lock_guard<std::mutex> hold(sleepLock);
        return sleeps;
    }
    ReplyBuffer Reply() {
        std::lock_guard<BusLock> hold(shared.lock);
        return shared.replyBuffer;
    }
    std::string TakeSentText() {
        std::lock_guard<BusLock> hold(shared.lock);
        std::string t;
        t.swap(shared.sentText);
        return t;
    }
};

} // namespace rir::test
