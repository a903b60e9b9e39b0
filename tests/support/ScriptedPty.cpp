#include "ScriptedPty.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

namespace rir::test {

namespace {

// A request is over when the line stays quiet this long.
constexpr int QUIET_MS = 15;
constexpr int STOP_CHECK_MS = 50;

} // namespace

ScriptedPty::ScriptedPty(std::vector<std::uint8_t> answer) : answer_(std::move(answer)) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return;
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname(master_) == nullptr) {
        ::close(master_);
        master_ = -1;
        return;
    }
    slavePath_ = ::ptsname(master_);
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ >= 0) {
        termios t{};
        if (::tcgetattr(slave_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(slave_, TCSANOW, &t);
        }
    }
    thread_ = std::thread([this] { Serve(); });
}

ScriptedPty::~ScriptedPty() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

void ScriptedPty::Serve() {
    bool inRequest = false;
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        const int ready = ::poll(&p, 1, inRequest ? QUIET_MS : STOP_CHECK_MS);
        if (ready > 0 && (p.revents & POLLIN) != 0) {
            std::uint8_t buffer[256];
            if (::read(master_, buffer, sizeof buffer) > 0)
                inRequest = true;
            continue;
        }
        if (ready > 0) {
            ::usleep(STOP_CHECK_MS * 1000); // hung up for a moment: the station is reopening
            continue;
        }
        if (inRequest) {
            inRequest = false;
            ++requests_;
            if (::write(master_, answer_.data(), answer_.size()) < 0)
                continue;
        }
    }
}

} // namespace rir::test
