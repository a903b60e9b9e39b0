// The pseudo-terminal rir-sim answers on. It keeps a descriptor of the slave side open for its
// whole life, so that the station closing and reopening the port never leaves the master side
// hung up (EIO on read, POLLHUP for ever).
#pragma once

#include "WireTiming.h"

#include <optional>
#include <string>

namespace rir::sim {

class PtyPort {
public:
    PtyPort() = default;
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;
    ~PtyPort(); // removes the link (when it still points here) and closes both sides

    // Empty on success, else what failed.
    std::string Open();
    // A symbolic link at `path` to the slave; an existing symbolic link there is replaced, any
    // other file is left alone and refused. Empty on success, else what failed.
    std::string MakeLink(const std::string& path);

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    void RemoveLink();

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

// The speed and character format set on the line, read through the master side (on Linux its
// terminal ioctls reach the slave's settings). Nothing when they cannot be read.
std::optional<LineSettings> ReadLineSettings(int masterFd);

} // namespace rir::sim
