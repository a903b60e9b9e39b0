// The Qt serial adapter on a bare pseudo-terminal: what it reads and writes, its read time-out
// kept across a reply that comes a byte at a time, and a line whose other side goes away.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "LineWait.h"
#include "QtSerialPort.h"

namespace rir {
namespace {

using namespace std::chrono_literals;

// The other side of the line: a pseudo-terminal's master, raw.
class Peer {
public:
    Peer() {
        char name[256] = {};
        int slave = -1;
        if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0)
            return;
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        ::close(slave);
        path_ = name;
    }
    ~Peer() { Hangup(); }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    const std::string& path() const { return path_; }
    void Send(const std::string& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // Everything the adapter has written by the time it has written `count` bytes.
    std::string Received(std::size_t count) {
        std::string got;
        char buffer[64];
        while (got.size() < count) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }
    void Hangup() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string path_;
};

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(peer.path().empty()) << "no pseudo-terminal";
        ASSERT_TRUE(port.Open(peer.path())) << port.lastError().detail;
        port.Configure(LineSettings{38400, 8, Parity::None, 1});
    }
    std::string ReadAll(std::size_t count) {
        std::string got;
        for (std::size_t i = 0; i < count; ++i) {
            const ReadResult r = port.ReadByte();
            if (r.status != ReadStatus::Byte)
                break;
            got.push_back(static_cast<char>(r.byte));
        }
        return got;
    }

    Peer peer;
    QtSerialPort port;
};

TEST_F(SerialPortTest, WritesTheLowBytesFirstAndReadsTheBytesInOrder) {
    ASSERT_TRUE(port.WriteBytes(0x3A, 1));
    ASSERT_TRUE(port.WriteBytes(0xC4B1, 2));
    ASSERT_TRUE(port.WriteBytes(0x44332211, 4));
    ASSERT_TRUE(port.WriteBytes(0xFF, 0)) << "nothing to write is no failure";
    EXPECT_EQ(peer.Received(7), std::string("\x3A\xB1\xC4\x11\x22\x33\x44"));

    // A whole frame in one go: the same bytes, in order.
    const std::uint8_t frame[] = {0x0F, 0x42, 0x00, 0xD1, 0x2C};
    ASSERT_TRUE(port.WriteFrame(frame, 2));
    EXPECT_EQ(peer.Received(5), std::string("\x0F\x42\x00\xD1\x2C", 5));

    port.SetReadTimeout(1000, 10);
    peer.Send(std::string(":010203\r\n\0\xFF", 11));
    EXPECT_EQ(ReadAll(11), std::string(":010203\r\n\0\xFF", 11));
    port.SetReadTimeout(50, 10);
    EXPECT_EQ(port.ReadByte().status, ReadStatus::Timeout) << "nothing more came";
    peer.Send("x");
    const ReadResult late = port.ReadByte();
    EXPECT_EQ(late.status, ReadStatus::Byte);
    EXPECT_EQ(late.byte, 'x');
}

// A reply trickling in a byte at a time, each within the time-out of the one before, for longer
// than one time-out in all: no read may time out in between (the one timer kept for the waits
// fires for an earlier read's deadline and must be armed again, not taken for a time-out). With
// the bus thread's word that more is on its way, at 300 baud (33 ms a character, so every hint
// asks for a long gather) the bytes gather, and still each comes in order and none times out.
TEST_F(SerialPortTest, ATricklingReplyNeverTimesOutBetweenItsBytes) {
    for (bool hinted : {false, true}) {
        SCOPED_TRACE(hinted ? "told how many more are on their way" : "byte by byte");
        if (hinted)
            port.Configure(LineSettings{300, 8, Parity::None, 1});
        port.SetReadTimeout(800, 10);
        const std::string reply = ":0141020F3C05DC0005DC03E800C4\r\n";
        std::thread sender([&] {
            for (char c : reply) {
                std::this_thread::sleep_for(40ms);
                peer.Send(std::string(1, c));
            }
        });
        std::string got;
        ReadResult r;
        while (got.size() < reply.size()) {
            if (hinted)
                port.ExpectValues(reply.size() - got.size());
            r = port.ReadByte();
            if (r.status != ReadStatus::Byte)
                break;
            got.push_back(static_cast<char>(r.byte));
        }
        sender.join();
        EXPECT_EQ(got, reply);
        EXPECT_EQ(r.status, ReadStatus::Byte);
    }
}

// A silent line times out at the moment given, one with bytes waiting is readable at once, and a
// sleep lasts until its moment however the bytes come meanwhile.
TEST(LineWait, WaitsUntilItsDeadlineAndSleepsUntilItsMoment) {
    Peer peer;
    ASSERT_FALSE(peer.path().empty());
    const int fd = ::open(peer.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    LineWait wait;
    const auto deadline = LineWait::Clock::now() + 30ms;
    EXPECT_EQ(wait.WaitUntil(fd, deadline), LineWait::Outcome::TimedOut);
    EXPECT_GE(LineWait::Clock::now(), deadline);
    EXPECT_EQ(wait.WaitUntil(fd, LineWait::Clock::now() - 1ms), LineWait::Outcome::TimedOut) << "passed";

    peer.Send("abc");
    const auto moment = LineWait::Clock::now() + 30ms;
    LineWait::SleepUntil(moment);
    EXPECT_GE(LineWait::Clock::now(), moment);
    EXPECT_EQ(wait.WaitUntil(fd, LineWait::Clock::now() - 1ms), LineWait::Outcome::Readable)
        << "bytes waiting are seen even when the deadline has passed";
    char buffer[8];
    EXPECT_EQ(::read(fd, buffer, sizeof buffer), 3);
    ::close(fd);
}

// The port's time-out counts from the call even when the port gathers first: a hint that asks
// for more than the time-out holds is cut to half of it, and a silent line still times out.
TEST_F(SerialPortTest, AGatherNeverStretchesTheTimeOut) {
    port.Configure(LineSettings{300, 8, Parity::None, 1});
    port.SetReadTimeout(60, 10);
    const auto start = std::chrono::steady_clock::now();
    port.ExpectValues(1000); // 33 s of characters at 300 baud
    EXPECT_EQ(port.ReadByte().status, ReadStatus::Timeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s) << "the gather was not cut";
}

TEST_F(SerialPortTest, BytesOfAClosedConnectionAreNotReadOnTheNext) {
    port.SetReadTimeout(1000, 10);
    peer.Send("ab");
    const ReadResult first = port.ReadByte();
    ASSERT_EQ(first.status, ReadStatus::Byte);
    EXPECT_EQ(first.byte, 'a');
    port.Close();
    EXPECT_EQ(port.ReadByte().status, ReadStatus::Failed) << "closed";
    ASSERT_TRUE(port.Open(peer.path()));
    port.SetReadTimeout(1000, 10);
    peer.Send("c");
    const ReadResult next = port.ReadByte();
    ASSERT_EQ(next.status, ReadStatus::Byte);
    EXPECT_EQ(next.byte, 'c');
}

TEST_F(SerialPortTest, DiscardedInputIsGoneWhetherItWaitedOrIsStillComing) {
    // A reply left on the line before the port was ours, one byte of it already taken into the
    // adapter's own buffer, and more of it still arriving while the line is cleared.
    port.SetReadTimeout(200, 10);
    peer.Send("stale reply");
    ASSERT_EQ(port.ReadByte().status, ReadStatus::Byte);
    std::thread trickle([this] {
        for (char c : std::string("late")) {
            std::this_thread::sleep_for(1ms);
            peer.Send(std::string(1, c));
        }
    });
    port.DiscardInput(100ms); // far more than the trickle's gaps, even on a loaded machine
    trickle.join();
    EXPECT_EQ(port.ReadByte().status, ReadStatus::Timeout) << "nothing of it is left";
    peer.Send("x");
    const ReadResult next = port.ReadByte();
    ASSERT_EQ(next.status, ReadStatus::Byte);
    EXPECT_EQ(next.byte, 'x') << "what comes after is read as before";
}

TEST_F(SerialPortTest, ALineWhoseOtherSideWentAwayFailsAndSaysSo) {
    port.SetReadTimeout(1000, 10);
    peer.Hangup();
    EXPECT_EQ(port.ReadByte().status, ReadStatus::Failed);
    EXPECT_EQ(port.lastError().kind, PortErrorKind::Removed);
    EXPECT_NE(port.lastError().detail.find("POLLHUP"), std::string::npos) << port.lastError().detail;
    EXPECT_FALSE(port.WriteBytes(0x3A, 1));
    EXPECT_EQ(port.lastError().kind, PortErrorKind::Removed);
    const std::uint8_t frame[] = {0x0F, 0x42, 0x00, 0xD1, 0x2C};
    EXPECT_FALSE(port.WriteFrame(frame, 2)) << "a whole frame fails as a byte does";
    EXPECT_EQ(port.lastError().kind, PortErrorKind::Removed);
}

} // namespace
} // namespace rir
