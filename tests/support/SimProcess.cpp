#include "SimProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <string_view>
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

SimProcess::SimProcess(const std::string& binary, const std::vector<std::string>& args, Requests requests) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    int logFds[2] = {-1, -1};
    if (requests == Requests::Seen && pipe(logFds) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        close(pipeFds[0]);
        close(pipeFds[1]);
        return;
    }
    std::vector<std::string> argStrings;
    argStrings.push_back(binary);
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    if (requests == Requests::Seen)
        argStrings.push_back("--verbose");
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
    if (logFds[1] >= 0) {
        posix_spawn_file_actions_addclose(&actions, logFds[0]);
        posix_spawn_file_actions_adddup2(&actions, logFds[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, logFds[1]);
    }
    const int rc = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    stdoutFd_ = pipeFds[0];
    if (logFds[1] >= 0) {
        close(logFds[1]);
        // The reader ends when the simulator does: its end of the pipe closes with it.
        logReader_ = std::thread([this, fd = logFds[0]] { ReadLog(fd); });
    }
    if (rc != 0) {
        pid_ = -1;
        error_ = "cannot start " + binary + ": " + std::strerror(rc);
        return;
    }
    ReadFirstLine();
}

void SimProcess::ReadLog(int fd) {
    // Lines as "[   12.345] request 0F 43 0A 04 B0 00 64".
    static constexpr std::string_view MARK = "] request ";
    std::string line;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != '\n') {
                line.push_back(buffer[i]);
                continue;
            }
            if (const std::size_t at = line.find(MARK); at != std::string::npos) {
                std::vector<int> request;
                for (std::size_t k = at + MARK.size(); k + 2 <= line.size(); k += 3)
                    request.push_back(static_cast<int>(std::strtol(line.substr(k, 2).c_str(), nullptr, 16)));
                std::lock_guard<std::mutex> hold(seenLock_);
                seen_.push_back(std::move(request));
            }
            line.clear();
        }
    }
    close(fd);
}

std::vector<std::vector<int>> SimProcess::requests() const {
    std::lock_guard<std::mutex> hold(seenLock_);
    return seen_;
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
    if (logReader_.joinable())
        logReader_.join();
}

} // namespace rir::test
