#include "TcpPort.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "bus/NetworkPort.h"

namespace rir {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t READ_CHUNK = 512;
// A gateway whose socket buffer is full for this long has stopped taking requests.
constexpr int WRITE_GUARD_MS = 2000;

int MillisUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

PortErrorKind KindOfConnectError(int error) {
    switch (error) {
    case ECONNREFUSED:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ETIMEDOUT:
        return PortErrorKind::NotFound;
    case EACCES:
    case EPERM:
        return PortErrorKind::NoPermission;
    default:
        return PortErrorKind::Other;
    }
}

// One connection attempt to one resolved address, waiting at most until `deadline`; the
// connected socket, or -1 with errno set.
int ConnectOne(const addrinfo& ai, Clock::time_point deadline) {
    const int fd = ::socket(ai.ai_family, ai.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai.ai_protocol);
    if (fd < 0)
        return -1;
    if (::connect(fd, ai.ai_addr, ai.ai_addrlen) != 0 && errno != EINPROGRESS) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    pollfd pfd{fd, POLLOUT, 0};
    int ready = 0;
    do {
        ready = ::poll(&pfd, 1, MillisUntil(deadline));
    } while (ready < 0 && errno == EINTR);
    int error = ETIMEDOUT;
    if (ready > 0) {
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = errno;
    } else if (ready < 0) {
        error = errno;
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

} // namespace

TcpPort::~TcpPort() {
    Close();
}

bool TcpPort::Open(const std::string& path) {
    Close();
    const std::optional<NetworkPort> where = ParseNetworkPortName(path);
    if (!where) {
        lastError_ = {PortErrorKind::NotFound, "not a network port: " + path};
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(where->port);
    if (const int rc = ::getaddrinfo(where->host.c_str(), service.c_str(), &hints, &found); rc != 0) {
        lastError_ = {PortErrorKind::NotFound, ::gai_strerror(rc)};
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(NETWORK_CONNECT_TIMEOUT_MS);
    int error = ETIMEDOUT;
    for (const addrinfo* ai = found; ai != nullptr && fd_ < 0; ai = ai->ai_next) {
        fd_ = ConnectOne(*ai, deadline);
        if (fd_ < 0)
            error = errno;
    }
    ::freeaddrinfo(found);
    if (fd_ < 0) {
        lastError_ = {KindOfConnectError(error), std::strerror(error)};
        return false;
    }
    // A request is a few bytes: it goes out at once, not when the stack has gathered more.
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    lastError_ = {};
    return true;
}

void TcpPort::SetReadTimeout(int totalMs, int /*intervalMs*/) {
    readTimeoutMs_ = totalMs + NETWORK_READ_ALLOWANCE_MS;
}

bool TcpPort::ConnectionFailed(int error) {
    lastError_ = {PortErrorKind::Removed,
                  error != 0 ? std::strerror(error) : "the gateway closed the connection"};
    return false;
}

ReadResult TcpPort::ReadByte() {
    if (fd_ < 0) {
        lastError_ = {PortErrorKind::Other, "the port is not open"};
        return {ReadStatus::Failed, 0};
    }
    if (readPos_ < readBuffer_.size())
        return {ReadStatus::Byte, readBuffer_[readPos_++]};
    const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeoutMs_);
    for (;;) {
        pollfd pfd{fd_, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, MillisUntil(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            ConnectionFailed(errno);
            return {ReadStatus::Failed, 0};
        }
        if (ready == 0)
            return {ReadStatus::Timeout, 0};
        readBuffer_.resize(READ_CHUNK);
        const ssize_t n = ::recv(fd_, readBuffer_.data(), readBuffer_.size(), 0);
        readBuffer_.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        if (n > 0) {
            readPos_ = 1;
            return {ReadStatus::Byte, readBuffer_[0]};
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            continue;
        ConnectionFailed(n < 0 ? errno : 0); // 0: the gateway hung up
        return {ReadStatus::Failed, 0};
    }
}

bool TcpPort::SendAll(const std::uint8_t* bytes, std::size_t count) {
    if (fd_ < 0) {
        lastError_ = {PortErrorKind::Other, "the port is not open"};
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(WRITE_GUARD_MS);
    while (count > 0) {
        const ssize_t n = ::send(fd_, bytes, count, MSG_NOSIGNAL);
        if (n > 0) {
            bytes += n;
            count -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd pfd{fd_, POLLOUT, 0};
            if (::poll(&pfd, 1, MillisUntil(deadline)) > 0)
                continue;
            return ConnectionFailed(ETIMEDOUT);
        }
        return ConnectionFailed(n < 0 ? errno : 0);
    }
    return true;
}

bool TcpPort::WriteBytes(std::uint32_t value, int count) {
    if (count <= 0 || count > 4)
        return true; // nothing to write
    std::uint8_t bytes[4];
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    return SendAll(bytes, static_cast<std::size_t>(count));
}

bool TcpPort::WriteFrame(std::span<const std::uint8_t> frame, std::size_t /*checksumBytes*/) {
    return SendAll(frame.data(), frame.size());
}

void TcpPort::DiscardInput(std::chrono::microseconds quiet) {
    readBuffer_.clear();
    readPos_ = 0;
    if (fd_ < 0)
        return;
    // As on the line: however long the gateway keeps sending, the next request goes out after
    // this much.
    constexpr auto MOST = std::chrono::milliseconds(500);
    const int quietMs = static_cast<int>(std::max<std::int64_t>(1, (quiet.count() + 999) / 1000));
    const auto end = Clock::now() + MOST;
    std::uint8_t sink[READ_CHUNK];
    while (Clock::now() < end) {
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, quietMs) <= 0 || (pfd.revents & POLLIN) == 0)
            return; // quiet for the gap, or a failure the next read reports
        if (::recv(fd_, sink, sizeof sink, 0) <= 0)
            return;
    }
}

void TcpPort::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    readBuffer_.clear();
    readPos_ = 0;
}

} // namespace rir
