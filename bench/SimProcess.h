// rir-sim as a child process on its own pseudo-terminal, for the benchmarks that drive the real
// bus thread. The simulator prints the terminal's path as its first line and ends on SIGTERM.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace rir {

class SimProcess {
public:
    // Starts `binary` with `args` and waits (up to a few seconds) for the terminal's path.
    SimProcess(const std::string& binary, const std::vector<std::string>& args);
    // Ends the simulator: SIGTERM, and SIGKILL if it has not gone after a grace period.
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The slave side of the simulator's pseudo-terminal; empty when it did not start.
    const std::string& slavePath() const { return slavePath_; }
    // Why it did not start.
    const std::string& error() const { return error_; }

private:
    void ReadFirstLine();

    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    std::string slavePath_;
    std::string error_;
};

} // namespace rir
