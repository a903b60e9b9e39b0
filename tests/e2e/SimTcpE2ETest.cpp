// rir-sim behind a TCP port, as a serial-to-Ethernet gateway: the bus's bytes over a socket, one
// station at a time, a new connection taking over from the one before.
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace rir {
namespace {

#ifdef RIR_SIM_PATH
class Connection {
public:
    explicit Connection(int port) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Connection() { close(fd_); }
    bool connected() const { return connected_; }
    void Send(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What arrives within a generous deadline, up to `want` bytes; stops early at end of stream.
    std::vector<std::uint8_t> Receive(std::size_t want, bool* ended = nullptr) {
        std::vector<std::uint8_t> got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (got.size() < want && std::chrono::steady_clock::now() < end) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            std::uint8_t buffer[64];
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                if (ended != nullptr)
                    *ended = true;
                break;
            }
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

int PortOf(const std::string& address) {
    const auto colon = address.rfind(':');
    return colon == std::string::npos ? 0 : std::stoi(address.substr(colon + 1));
}

TEST(SimTcpE2E, AnswersOverTcpAndANewConnectionTakesOver) {
    test::SimProcess sim({"--framing", "rtu", "--device", "15:2:1", "--listen", "0"});
    ASSERT_TRUE(sim.running()) << sim.error();
    ASSERT_EQ(sim.path().rfind("tcp://127.0.0.1:", 0), 0u) << sim.path();
    const int port = PortOf(sim.path());

    const std::vector<std::uint8_t> measure{0x0F, 0x42, 0x84, 0x71};
    Connection first(port);
    ASSERT_TRUE(first.connected());
    first.Send(measure);
    const auto reply = first.Receive(13);
    ASSERT_EQ(reply.size(), 13u);
    EXPECT_EQ(reply[0], 0x0F);
    EXPECT_EQ(reply[1], 0x42);

    Connection second(port);
    ASSERT_TRUE(second.connected());
    bool firstEnded = false;
    first.Receive(1, &firstEnded);
    EXPECT_TRUE(firstEnded) << "the connection before is closed";
    second.Send(measure);
    EXPECT_EQ(second.Receive(13), reply);
}
#endif

} // namespace
} // namespace rir
