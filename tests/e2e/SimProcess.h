// rir-sim as a child process: started with its options, its pseudo-terminal's path read from the
// first line it prints, stopped with SIGTERM when the test is done.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace rir::test {

class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> all{RIR_SIM_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, RIR_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            path_.push_back(c);
        close(out[0]);
    }
    ~SimProcess() { Stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& path() const { return path_; }
    bool running() const { return pid_ > 0; }

    void Stop() {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    std::string path_;
};

} // namespace rir::test
