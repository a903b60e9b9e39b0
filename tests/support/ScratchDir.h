// A fresh folder that is also the current directory while a test runs, so that what the station
// writes beside itself (the log file) lands there and goes with the test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

namespace rir::test {

struct ScratchDir {
    std::filesystem::path dir;
    std::filesystem::path previous = std::filesystem::current_path();

    ScratchDir() {
        dir = std::filesystem::temp_directory_path() /
              ("rir-e2e-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
    }
    ~ScratchDir() {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
};

} // namespace rir::test
