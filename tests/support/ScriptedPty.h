// A pseudo-terminal that answers every request with the same bytes: a supply that can only say
// one thing, for driving the station into a state no simulator would choose.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace rir::test {

class ScriptedPty {
public:
    explicit ScriptedPty(std::vector<std::uint8_t> answer);
    ~ScriptedPty();
    ScriptedPty(const ScriptedPty&) = delete;
    ScriptedPty& operator=(const ScriptedPty&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& path() const { return slavePath_; }
    // Requests seen so far: bursts of bytes separated by a quiet line.
    int requests() const { return requests_; }

private:
    void Serve();

    std::vector<std::uint8_t> answer_;
    int master_ = -1;
    int slave_ = -1; // held open so the master never sees a hang-up between the station's opens
    std::string slavePath_;
    std::atomic<int> requests_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace rir::test
