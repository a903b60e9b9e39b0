// rir-sim as a child process on its own pseudo-terminal, for the end-to-end tests and the
// benchmarks that drive the real bus thread. The simulator prints the terminal's path as its
// first line and ends on SIGTERM.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace rir::test {

class SimProcess {
public:
    // Whether the test reads the requests the simulator took (its --verbose log, read as it
    // comes so that the simulator never waits on a full pipe).
    enum class Requests { Ignored, Seen };

    // Starts `binary` with `args` and waits (up to a few seconds) for the terminal's path.
    SimProcess(const std::string& binary, const std::vector<std::string>& args,
               Requests requests = Requests::Ignored);
#ifdef RIR_SIM_PATH
    // The simulator the build made.
    explicit SimProcess(const std::vector<std::string>& args, Requests requests = Requests::Ignored)
        : SimProcess(RIR_SIM_PATH, args, requests) {}
#endif
    ~SimProcess() {
        Stop();
    }
    // Ends the simulator: SIGTERM, and SIGKILL if it has not gone after a grace period.
    void Stop();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The slave side of the simulator's pseudo-terminal; empty when it did not start.
    const std::string& slavePath() const {
        return slavePath_;
    }
    const std::string& path() const {
        return slavePath_;
    }
    bool running() const {
        return pid_ > 0;
    }
    // Why it did not start.
    const std::string& error() const {
        return error_;
    }
    // With Requests::Seen: every request the simulator has taken so far, in order, as values
    // without framing (address, function, data; no address on a bare RS-232 line).
    std::vector<std::vector<int>> requests() const;

private:
    void ReadFirstLine();
    void ReadLog(int fd);

    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    std::string slavePath_;
    std::string error_;
    mutable std::mutex seenLock_;
    std::vector<std::vector<int>> seen_;
    std::thread logReader_;
};

} // namespace rir::test
