#include "QtSerialPort.h"

#include <QSerialPort>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <utility>

#if defined(Q_OS_UNIX)
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace rir {

namespace {
// Writes go out at once at any speed the station uses; this only guards against a line that
// never drains (a hung adapter), so the bus thread cannot block for good.
constexpr int WRITE_GUARD_MS = 2000;
// The most one read takes from the line: more than any reply holds.
constexpr std::size_t READ_CHUNK = 512;

std::string SystemText(const QSerialPort& port) {
    return port.errorString().toStdString();
}

// Qt says "permission" both for a port the user may not open and for one that another
// program holds (its lock file, or the exclusive-use flag of a terminal). Only the first can
// be mended by the operator's group membership, so they are told apart here.
PortErrorKind PermissionKind(const std::string& path) {
#if defined(Q_OS_UNIX)
    if (::access(path.c_str(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM))
        return PortErrorKind::NoPermission;
    return PortErrorKind::Busy;
#else
    (void)path;
    return PortErrorKind::NoPermission;
#endif
}
} // namespace

QtSerialPort::QtSerialPort() = default;

QtSerialPort::~QtSerialPort() {
    Close();
}

bool QtSerialPort::Open(const std::string& path) {
    Close();
    path_ = path;
    port_ = std::make_unique<QSerialPort>();
    port_->setPortName(QString::fromStdString(path));
    if (port_->open(QIODevice::ReadWrite))
        return true;
    PortError error{PortErrorKind::Other, SystemText(*port_)};
    switch (port_->error()) {
    case QSerialPort::DeviceNotFoundError:
        error.kind = PortErrorKind::NotFound;
        break;
    case QSerialPort::PermissionError:
        error.kind = PermissionKind(path);
        break;
    default:
        break;
    }
    lastError_ = error;
    port_.reset();
    return false;
}

void QtSerialPort::Configure(const LineSettings& s) {
    if (!port_)
        return;
    // Each setting on its own: one the port refuses (7 data bits, parity or RTS on a
    // pseudo-terminal) must not keep the others from being applied.
    port_->setBaudRate(s.baud); // any integer: 14400 and 56000 go down as custom speeds
    port_->setDataBits(s.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    port_->setParity(s.parity == Parity::Even ? QSerialPort::EvenParity : QSerialPort::NoParity);
    port_->setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    port_->setRequestToSend(true);
    port_->clearError();
    characterMicros_ = s.baud > 0 ? (s.bitsPerCharacter() * 1000000LL + s.baud - 1) / s.baud : 0;
}

void QtSerialPort::SetReadTimeout(int totalMs, int /*intervalMs*/) {
    readTimeoutMs_ = totalMs;
}

bool QtSerialPort::HungUp() {
#if defined(Q_OS_UNIX)
    // A pseudo-terminal whose other side has closed, or an adapter that was pulled, polls as
    // hung up for good; reading it fails at once. Qt may report that as an instant time-out,
    // and treating it as one made the station spin through "no reply" cycles for ever.
    pollfd pfd{static_cast<int>(port_->handle()), POLLIN, 0};
    if (::poll(&pfd, 1, 0) <= 0 || (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0)
        return false;
    char c = 0;
    const ssize_t n = ::read(pfd.fd, &c, 1);
    const std::string why = n < 0 ? std::strerror(errno) : "the line hung up";
    lastError_ = {PortErrorKind::Removed, why + ((pfd.revents & POLLHUP) != 0 ? ", POLLHUP" : "")};
    return true;
#else
    return false;
#endif
}

#if defined(Q_OS_UNIX)
bool QtSerialPort::LineFailed(int error) {
    if (!HungUp())
        lastError_ = {PortErrorKind::Removed, error != 0 ? std::strerror(error) : "the line hung up"};
    return false;
}
#endif

bool QtSerialPort::Failed() {
    if (!HungUp()) {
        const QSerialPort::SerialPortError code = port_->error();
        const PortErrorKind kind = code == QSerialPort::PermissionError       ? PermissionKind(path_)
                                   : code == QSerialPort::DeviceNotFoundError ? PortErrorKind::NotFound
                                                                              : PortErrorKind::Removed;
        lastError_ = {kind, SystemText(*port_)};
    }
    port_->clearError();
    return false;
}

ReadResult QtSerialPort::ReadByte() {
    if (!port_) {
        lastError_ = {PortErrorKind::Other, "the port is not open"};
        return {ReadStatus::Failed, 0};
    }
#if defined(Q_OS_UNIX)
    // The descriptor is read directly, a chunk at a time, so that waiting for the next byte
    // costs one wake-up and no timer of its own (see LineWait). QSerialPort never reads it: this
    // thread has no event loop, and the writes below do not go through Qt either.
    const std::size_t expected = std::exchange(expected_, 0);
    if (readPos_ < readBuffer_.size())
        return {ReadStatus::Byte, readBuffer_[readPos_++]};
    const int fd = static_cast<int>(port_->handle());
    // The time-out counts from the call, as it always did, whatever happens before the wait.
    const auto deadline = LineWait::Clock::now() + std::chrono::milliseconds(readTimeoutMs_);
    // Values that are on their way gather on the line for their wire time, less one character so
    // that the last of them still finds this thread waiting (the silence after it is timed from
    // its arrival); never for more than half the time-out. Then the line is read at once.
    bool gathered = false;
    if (expected >= 2 && characterMicros_ > 0) {
        const auto span = std::min<std::int64_t>(characterMicros_ * static_cast<std::int64_t>(expected - 1),
                                                 readTimeoutMs_ * 1000LL / 2);
        LineWait::SleepUntil(LineWait::Clock::now() + std::chrono::microseconds(span));
        gathered = true;
    }
    for (;;) {
        // After a gather the line is read without a wait; the wait's verdict comes only when
        // nothing is there.
        const bool afterWait = !std::exchange(gathered, false);
        if (afterWait) {
            const LineWait::Outcome outcome = wait_.WaitUntil(fd, deadline);
            if (outcome == LineWait::Outcome::TimedOut)
                return {ReadStatus::Timeout, 0};
            if (outcome != LineWait::Outcome::Readable) {
                LineFailed(errno);
                return {ReadStatus::Failed, 0};
            }
        }
        readBuffer_.resize(READ_CHUNK);
        const ssize_t n = ::read(fd, readBuffer_.data(), readBuffer_.size());
        readBuffer_.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        if (n > 0) {
            readPos_ = 1;
            return {ReadStatus::Byte, readBuffer_[0]};
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue; // nothing after all: wait on
        if (!afterWait)
            continue; // nothing yet, or the line's end: the wait tells which
        // A terminal whose other side has closed reads as the end of the file or fails (EIO).
        LineFailed(n < 0 ? errno : 0);
        return {ReadStatus::Failed, 0};
    }
#else
    if (port_->bytesAvailable() <= 0 && !port_->waitForReadyRead(readTimeoutMs_)) {
        const QSerialPort::SerialPortError code = port_->error();
        if ((code == QSerialPort::TimeoutError || code == QSerialPort::NoError) && !HungUp()) {
            port_->clearError();
            return {ReadStatus::Timeout, 0};
        }
        Failed();
        return {ReadStatus::Failed, 0};
    }
    char c = 0;
    if (port_->read(&c, 1) != 1) {
        Failed();
        return {ReadStatus::Failed, 0};
    }
    return {ReadStatus::Byte, static_cast<std::uint8_t>(c)};
#endif
}

void QtSerialPort::DiscardInput(std::chrono::microseconds quiet) {
    if (!port_)
        return;
    // However long the line keeps talking, the next request goes out after this much: a line
    // that never falls silent shows as bad replies, not as a bus that stopped.
    constexpr auto MOST = std::chrono::milliseconds(500);
    const auto quietMs = std::max<std::int64_t>(1, (quiet.count() + 999) / 1000);
#if defined(Q_OS_UNIX)
    readBuffer_.clear();
    readPos_ = 0;
    const int fd = static_cast<int>(port_->handle());
    ::tcflush(fd, TCIFLUSH);
    const auto end = LineWait::Clock::now() + MOST;
    char sink[READ_CHUNK];
    while (LineWait::Clock::now() < end) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(quietMs)) <= 0 || (pfd.revents & POLLIN) == 0)
            return; // quiet for the gap, or the line's failure, which the next read reports
        if (::read(fd, sink, sizeof sink) <= 0)
            return;
    }
#else
    port_->clear(QSerialPort::Input);
    const auto end = std::chrono::steady_clock::now() + MOST;
    while (std::chrono::steady_clock::now() < end && port_->waitForReadyRead(static_cast<int>(quietMs)))
        port_->readAll();
    port_->clearError();
#endif
}

bool QtSerialPort::WriteBytes(std::uint32_t value, int count) {
    if (!port_) {
        lastError_ = {PortErrorKind::Other, "the port is not open"};
        return false;
    }
    if (count <= 0 || count > 4)
        return true; // nothing to write
    char bytes[4];
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return WriteAll(bytes, count);
}

#if defined(Q_OS_UNIX)
bool QtSerialPort::WriteFrame(std::span<const std::uint8_t> frame, std::size_t /*checksumBytes*/) {
    if (!port_) {
        lastError_ = {PortErrorKind::Other, "the port is not open"};
        return false;
    }
    // One write call for the whole request: the bytes leave back to back, as the line's own
    // transmitter sends them, instead of a system call (and a wake-up of whoever reads the other
    // end) per byte; through a USB adapter, separate writes could also leave gaps inside an RTU
    // frame.
    return WriteAll(reinterpret_cast<const char*>(frame.data()), static_cast<int>(frame.size()));
}
#endif

bool QtSerialPort::WriteAll(const char* bytes, int count) {
#if defined(Q_OS_UNIX)
    // The descriptor is non-blocking, so a full output buffer is waited out (up to the guard)
    // and the rest written.
    const int fd = static_cast<int>(port_->handle());
    int done = 0;
    const auto guardEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(WRITE_GUARD_MS);
    while (done < count) {
        const ssize_t n = ::write(fd, bytes + done, static_cast<std::size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return LineFailed(errno);
        // The output buffer is full: wait for room, up to the guard. A line that does not drain
        // in that time is only slow (the reply's time-out will tell), unless it hung up.
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(guardEnd - std::chrono::steady_clock::now()).count();
        pollfd out{fd, POLLOUT, 0};
        const int ready = left > 0 ? ::poll(&out, 1, static_cast<int>(left)) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return ready == 0 ? !HungUp() : LineFailed(errno);
    }
    return true;
#else
    if (port_->write(bytes, count) != count)
        return Failed();
    if (!port_->waitForBytesWritten(WRITE_GUARD_MS)) {
        // Written into the port's buffer but not drained: a time-out on a line that is only
        // slow is no failure; anything else (a hung-up line, a write error) is.
        const QSerialPort::SerialPortError code = port_->error();
        if (code != QSerialPort::TimeoutError && code != QSerialPort::NoError)
            return Failed();
        if (HungUp())
            return false;
        port_->clearError();
    }
    return true;
#endif
}

void QtSerialPort::Close() {
#if defined(Q_OS_UNIX)
    readBuffer_.clear(); // nothing of this connection is read on the next
    readPos_ = 0;
#endif
    if (port_) {
        port_->close();
        port_.reset();
    }
}

} // namespace rir
