#include "bus/RequestQueue.h"

#include <algorithm>

#include "bus/FrameCodec.h"

namespace rir {

std::optional<QueuedCommand> RequestQueue::TakeHead() {
    if (commands_.empty())
        return std::nullopt;
    QueuedCommand head = std::move(commands_.front());
    commands_.pop_front();
    return head;
}

bool IsValidCommand(std::span<const int> values) {
    if (values.empty() || values.size() > MAX_REQUEST_BYTES)
        return false;
    return std::all_of(values.begin(), values.end(), [](int v) { return v >= 0 && v <= 255; });
}

bool AppendCommand(RequestQueue& queue, std::span<const int> values, CommandEffects effects) {
    if (!IsValidCommand(values))
        return false;
    QueuedCommand command;
    command.bytes.reserve(values.size());
    for (int v : values)
        command.bytes.push_back(static_cast<std::uint8_t>(v));
    command.effects = effects;
    queue.push_back(std::move(command));
    return true;
}

void RemoveHeadCommand(RequestQueue& queue) {
    queue.TakeHead();
}

bool HasQueuedCommand(const RequestQueue& queue, int first, int function) {
    return std::any_of(queue.begin(), queue.end(), [&](const QueuedCommand& c) {
        return c.bytes.size() >= 2 && c.bytes[0] == first && c.bytes[1] == function;
    });
}

} // namespace rir
