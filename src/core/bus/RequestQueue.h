// The command queue: what the pages want sent, ahead of the polls, one command at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace rir {

// A queued command is dropped after this many sends without an acknowledgement.
inline constexpr int MAX_COMMAND_SENDS = 3;

// What a command asks of the bus beyond its bytes, as the device code that built it knows.
struct CommandEffects {
    // The supply needs a moment after it (a switch-off, a module change): the bus thread pauses
    // after each send of it before the next request.
    bool settles = false;
    // Its acknowledgement means the supply's modules have changed: the supply is asked to
    // identify itself again.
    bool reidentifies = false;

    bool operator==(const CommandEffects&) const = default;
};

struct QueuedCommand {
    std::vector<std::uint8_t> bytes; // 1..MAX_REQUEST_BYTES, without framing
    // How often it has gone out so far. The count is the command's own: two commands alike in
    // address and function (quick settings of one limit, a program catching up) each get their
    // sends.
    int sends = 0;
    CommandEffects effects;

    bool operator==(const QueuedCommand&) const = default;
};

// Oldest first; the head is the one on the bus until its acknowledgement removes it, or until it
// has gone out MAX_COMMAND_SENDS times unanswered.
class RequestQueue {
public:
    using Commands = std::deque<QueuedCommand>;

    bool empty() const { return commands_.empty(); }
    std::size_t size() const { return commands_.size(); }
    Commands::const_iterator begin() const { return commands_.begin(); }
    Commands::const_iterator end() const { return commands_.end(); }
    QueuedCommand* head() { return commands_.empty() ? nullptr : &commands_.front(); }
    const QueuedCommand* head() const { return commands_.empty() ? nullptr : &commands_.front(); }

    void push_back(QueuedCommand command) { commands_.push_back(std::move(command)); }
    // Removes the head and hands it over; nothing on an empty queue.
    std::optional<QueuedCommand> TakeHead();
    void clear() { commands_.clear(); }

private:
    Commands commands_;
};

// A command must be 1..255 values, each 0..255.
bool IsValidCommand(std::span<const int> values);
// Appends a whole command; the caller holds the lock (or owns the queue alone). False (queue
// untouched) for a command that is not valid.
bool AppendCommand(RequestQueue& queue, std::span<const int> values, CommandEffects effects = {});
void RemoveHeadCommand(RequestQueue& queue);
// Whether a command whose first two values are (first, function) waits in the queue.
bool HasQueuedCommand(const RequestQueue& queue, int first, int function);

} // namespace rir
