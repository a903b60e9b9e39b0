#include "QtSerialPort.h"

#include <QSerialPort>

namespace rir {

namespace {
// Writes go out at once at any speed the station uses; this only guards against a line that
// never drains (a hung adapter), so the bus thread cannot block for good.
constexpr int WRITE_GUARD_MS = 2000;
} // namespace

QtSerialPort::QtSerialPort() = default;

QtSerialPort::~QtSerialPort() {
    Close();
}

bool QtSerialPort::Open(const std::string& path) {
    Close();
    port_ = std::make_unique<QSerialPort>();
    port_->setPortName(QString::fromStdString(path));
    if (!port_->open(QIODevice::ReadWrite)) {
        port_.reset();
        return false;
    }
    return true;
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
}

void QtSerialPort::SetReadTimeout(int totalMs, int /*intervalMs*/) {
    readTimeoutMs_ = totalMs;
}

std::optional<std::uint8_t> QtSerialPort::ReadByte() {
    if (!port_)
        return std::nullopt;
    if (port_->bytesAvailable() <= 0 && !port_->waitForReadyRead(readTimeoutMs_))
        return std::nullopt;
    char c = 0;
    if (port_->read(&c, 1) != 1)
        return std::nullopt;
    return static_cast<std::uint8_t>(c);
}

void QtSerialPort::WriteBytes(std::uint32_t value, int count) {
    if (!port_ || count <= 0 || count > 4)
        return;
    char bytes[4];
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    if (port_->write(bytes, count) == count)
        port_->waitForBytesWritten(WRITE_GUARD_MS);
}

void QtSerialPort::Close() {
    if (port_) {
        port_->close();
        port_.reset();
    }
}

} // namespace rir
