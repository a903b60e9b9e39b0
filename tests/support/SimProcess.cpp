#include "SimProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace rir::test {

namespace {

// The simulator prints its path right after opening the terminal; this is only a guard against
// one that hangs.
constexpr int FIRST_LINE_TIMEOUT_MS = 5000;
constexpr auto STOP_GRACE = std::chrono::seconds(3);

} // namespace

SimProcess::SimProcess(const std::string& binary, const std::vector<std::string>& args) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    std::vector<std::string> argStrings;
    argStrings.push_back(binary);
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    // A test that dies (a sanitizer's abort, a failed assertion in a helper thread) must not leave
    // the simulator holding the test runner's output open.
    argStrings.push_back("--parent");
    argStrings.push_back(std::to_string(getpid()));
    std::vector<char*> argv;
    for (std::string& a : argStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    const int rc = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    stdoutFd_ = pipeFds[0];
    if (rc != 0) {
        pid_ = -1;
        error_ = "cannot start " + binary + ": " + std::strerror(rc);
        return;
    }
    ReadFirstLine();
}

void SimProcess::ReadFirstLine() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(FIRST_LINE_TIMEOUT_MS);
    std::string line;
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) {
            error_ = "the simulator printed no path in time";
            return;
        }
        pollfd pfd{stdoutFd_, POLLIN, 0};
        const int ready = poll(&pfd, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            error_ = std::string("poll: ") + std::strerror(errno);
            return;
        }
        if (ready <= 0)
            continue;
        char c = 0;
        const ssize_t n = read(stdoutFd_, &c, 1);
        if (n <= 0) {
            error_ = "the simulator ended before printing its path";
            return;
        }
        if (c == '\n')
            break;
        line.push_back(c);
    }
    slavePath_ = line;
}

void SimProcess::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + STOP_GRACE;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
    }
    if (stdoutFd_ >= 0) {
        close(stdoutFd_);
        stdoutFd_ = -1;
    }
}

} // namespace rir::test
