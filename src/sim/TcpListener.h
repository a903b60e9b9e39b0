// rir-sim as a serial-to-Ethernet gateway would be: a TCP port on 127.0.0.1 that carries the
// bus's bytes as they are (RTU, ASCII or RS-232 framing), one station at a time. A new connection
// takes the bus over from the one before, as a restarted station reconnects before the old
// connection has timed out.
#pragma once

#include <string>

namespace rir::sim {

class TcpListener {
public:
    TcpListener() = default;
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;
    ~TcpListener();

    // Listens on 127.0.0.1:port (0: a free port the system picks). Empty on success, else what
    // failed.
    std::string Open(int port);
    // Takes a waiting connection, closing the one before. False when none waits.
    bool Accept();
    // The connection is gone (closed by the peer or broken).
    void Drop();

    int listenFd() const { return listen_; }
    int clientFd() const { return client_; } // -1 without a connection
    int port() const { return port_; }

private:
    int listen_ = -1;
    int client_ = -1;
    int port_ = 0;
};

} // namespace rir::sim
