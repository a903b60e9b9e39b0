// Every test runs with the supplies' reply lengths registered, as the station registers them at
// start-up: bus tests that never make a Station see the same reply ends as the station does.
#include <gtest/gtest.h>

#include "device/Payloads.h"

namespace {

class SupplyReplies : public ::testing::Environment {
public:
    void SetUp() override { rir::RegisterSupplyReplies(); }
};

[[maybe_unused]] ::testing::Environment* const supplyReplies =
    ::testing::AddGlobalTestEnvironment(new SupplyReplies);

} // namespace
