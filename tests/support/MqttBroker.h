// A real mosquitto broker for the tests: on a free port of 127.0.0.1, anonymous logins refused,
// one user with a password in its own password file, no persistence. It ends with the test (and
// with the test process, should that die first).
#pragma once

#include "TempDir.h"

#include <string>
#include <sys/types.h>

namespace rir::test {

class MqttBroker {
public:
    MqttBroker(std::string user, std::string password);
    ~MqttBroker() { Stop(); }
    MqttBroker(const MqttBroker&) = delete;
    MqttBroker& operator=(const MqttBroker&) = delete;

    // Starts it (again, on the same port) and waits until it takes connections. False with
    // error() when it did not come up.
    bool Start();
    void Stop();

    int port() const { return port_; }
    const std::string& error() const { return error_; }
    // A file holding the password on its first line, as the station's PasswordFile.
    std::string PasswordFile(const std::string& password) const;

private:
    TempDir dir_;
    std::string user_, password_;
    int port_ = 0;
    pid_t pid_ = -1;
    std::string error_;
};

} // namespace rir::test
