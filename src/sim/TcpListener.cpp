#include "TcpListener.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace rir::sim {

TcpListener::~TcpListener() {
    Drop();
    if (listen_ >= 0)
        close(listen_);
}

std::string TcpListener::Open(int port) {
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listen_ < 0)
        return std::string("socket: ") + std::strerror(errno);
    const int yes = 1;
    setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    // Only this machine: the simulator is for tests and demonstrations, never for a network.
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
    if (listen(listen_, 4) != 0)
        return std::string("listen: ") + std::strerror(errno);
    socklen_t size = sizeof address;
    getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    return {};
}

bool TcpListener::Accept() {
    const int fd = accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return false;
    Drop();
    // Every reply byte goes out when it is due, as on the line, not when a segment fills.
    const int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    client_ = fd;
    return true;
}

void TcpListener::Drop() {
    if (client_ >= 0)
        close(client_);
    client_ = -1;
}

} // namespace rir::sim
