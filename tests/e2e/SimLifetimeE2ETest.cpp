// rir-sim started with --parent ends with the process that started it, so a test that crashes
// leaves no simulator holding the test runner's output open.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "TempDir.h"

extern char** environ;

namespace rir {
namespace {

using namespace std::chrono_literals;

#ifdef RIR_SIM_PATH
bool WaitFor(const std::function<bool()>& done, std::chrono::seconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

TEST(SimLifetimeE2E, TheSimulatorEndsWithItsParent) {
    test::TempDir dir;
    const std::string link = (dir.path() / "rir0").string();
    // A shell starts the simulator in the background, naming itself as the parent, waits for its
    // link and ends without stopping it.
    const std::string script =
        "\"$0\" --parent $$ --link \"$1\" >/dev/null & "
        "i=0; while [ ! -e \"$1\" ] && [ $i -lt 500 ]; do sleep 0.01; i=$((i+1)); done; [ -e \"$1\" ]";
    std::vector<std::string> args{"/bin/sh", "-c", script, RIR_SIM_PATH, link};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t shell = -1;
    ASSERT_EQ(posix_spawn(&shell, "/bin/sh", nullptr, nullptr, argv.data(), environ), 0);
    int status = 0;
    ASSERT_EQ(waitpid(shell, &status, 0), shell);
    // The shell's status says whether the link appeared: once the shell is gone the simulator
    // may already have ended and removed it.
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the simulator did not start";
    // The simulator removes its link when it ends.
    EXPECT_TRUE(WaitFor([&] { return !std::filesystem::is_symlink(link); }, 10s));
}
#endif

} // namespace
} // namespace rir
