// The request queue's commands as the values a test writes them in, oldest first.
#pragma once

#include <vector>

#include "bus/RequestQueue.h"

namespace rir::test {

using Commands = std::vector<std::vector<int>>;

inline Commands CommandsOf(const RequestQueue& queue) {
    Commands out;
    for (const QueuedCommand& c : queue)
        out.emplace_back(c.bytes.begin(), c.bytes.end());
    return out;
}

} // namespace rir::test
