#include "MqttBroker.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <fstream>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace rir::test {

namespace {

std::string Program(const char* name) {
    for (const char* folder : {"/usr/sbin/", "/usr/bin/", "/usr/local/sbin/", "/usr/local/bin/"})
        if (access((std::string(folder) + name).c_str(), X_OK) == 0)
            return std::string(folder) + name;
    return name;
}

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t size = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    close(fd);
    return ntohs(a.sin_port);
}

bool Accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

// Runs a program to its end; its exit status, or -1.
int RunToEnd(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

MqttBroker::MqttBroker(std::string user, std::string password)
    : user_(std::move(user)), password_(std::move(password)), port_(FreePort()) {
    const std::string passwd = (dir_.path() / "passwd").string();
    if (RunToEnd({Program("mosquitto_passwd"), "-c", "-b", passwd, user_, password_}) != 0)
        error_ = "mosquitto_passwd failed";
    std::ofstream conf(dir_.path() / "mosquitto.conf");
    conf << "listener " << port_ << " 127.0.0.1\n"
         << "allow_anonymous false\n"
         << "password_file " << passwd << "\n"
         << "persistence false\n"
         << "log_dest none\n";
}

std::string MqttBroker::PasswordFile(const std::string& password) const {
    const auto path = dir_.path() / ("password-" + std::to_string(std::hash<std::string>{}(password)));
    std::ofstream(path) << password << "\n";
    return path.string();
}

bool MqttBroker::Start() {
    if (!error_.empty())
        return false;
    const std::string program = Program("mosquitto");
    const std::string conf = (dir_.path() / "mosquitto.conf").string();
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        // The broker must not outlive a test process that dies.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(0);
        execl(program.c_str(), program.c_str(), "-c", conf.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0) {
        error_ = "fork failed";
        return false;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < end) {
        if (Accepts(port_))
            return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "mosquitto ended at start (exit " + std::to_string(WEXITSTATUS(status)) + ")";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    error_ = "mosquitto did not listen on port " + std::to_string(port_);
    return false;
}

void MqttBroker::Stop() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

} // namespace rir::test
