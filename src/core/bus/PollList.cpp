#include "bus/PollList.h"

#include <algorithm>

namespace rir {

bool AddEntry(PollList& list, int address, int channel) {
    if (address < 1 || address > 127 || channel < 0 || channel > 1)
        return false;
    if (LiveEntryCount(list) >= MAX_LIVE_ENTRIES || list.size() >= MAX_LIST_ENTRIES)
        return false;
    PollEntry entry;
    entry.address = address;
    entry.channel = channel;
    list.push_back(entry);
    return true;
}

void MarkDeleted(PollList& list, int address, int channel) {
    for (PollEntry& e : list) {
        if (e.address == address && e.channel == channel)
            e = PollEntry{}; // fresh entry, address -1
    }
}

int FindEntry(const PollList& list, int address, int channel) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].address == address && list[i].channel == channel)
            return static_cast<int>(i);
    }
    return -1;
}

std::size_t LiveEntryCount(const PollList& list) {
    return static_cast<std::size_t>(
        std::count_if(list.begin(), list.end(), [](const PollEntry& e) { return e.address != -1; }));
}

int NextPollFunction(PollEntry& entry) {
    const int current = entry.nextFunction;
    if (entry.moduleDataAllowed)
        entry.nextFunction = current == FC_MEASURE ? FC_MODULES : FC_MEASURE;
    else
        entry.nextFunction = FC_MEASURE;
    return current;
}

bool CountMiss(PollEntry& entry) {
    ++entry.missCount;
    if (entry.missCount >= MISSES_TO_DISCONNECT) {
        SendBackToIdentification(entry);
        entry.offline = true;
        return true;
    }
    return false;
}

void SendBackToIdentification(PollEntry& entry) {
    entry.nextFunction = FC_MEASURE;
    entry.missCount = 0;
    entry.state = PollState::Unknown;
    // Whatever answers at this address next is asked about its modules afresh: a supply
    // without modules waits for that answer before it comes online, so one that had said
    // "no modules" before it went away would otherwise never come back.
    entry.moduleDataAllowed = true;
    entry.modulesAskedAt.reset();
}

void ClearMisses(PollEntry& entry) {
    entry.missCount = 0;
    entry.offline = false;
    entry.refusals = 0;
}

bool ClearMissesOnIdentity(PollEntry& entry) {
    entry.missCount = 0;
    const bool backsOff = CountRefusal(entry);
    if (!entry.backingOff())
        entry.offline = false;
    return backsOff;
}

bool CountRefusal(PollEntry& entry) {
    ++entry.refusals;
    if (entry.refusals < REFUSALS_TO_BACK_OFF)
        return false;
    entry.offline = true;
    // Counted on no further: a long refusal must not overflow, and it is said once.
    const bool first = entry.refusals == REFUSALS_TO_BACK_OFF;
    entry.refusals = REFUSALS_TO_BACK_OFF + 1;
    return first;
}

bool EnqueueCommand(BusShared& bus, std::span<const int> values, CommandEffects effects) {
    std::lock_guard<BusLock> hold(bus.lock);
    return AppendCommand(bus.requestQueue, values, effects);
}

namespace {

struct OfflineShare {
    int answering = 0; // live main-channel entries that are not offline
    int offline = 0;
    int withModules = 0; // the answering ones whose module data is polled once complete
};

OfflineShare CountOffline(const PollList& list) {
    OfflineShare share;
    for (const PollEntry& e : list) {
        if (e.address == -1 || e.channel != 0)
            continue;
        ++(e.offline ? share.offline : share.answering);
        if (!e.offline && e.moduleDataAllowed && e.state == PollState::Complete)
            ++share.withModules;
    }
    return share;
}

// An offline supply's entries: its main channel, and its second channel's while that still waits
// to be identified (it would ask the same silent address).
bool BelongsToOfflineSupply(const PollList& list, const PollEntry& e) {
    if (e.address == -1)
        return false;
    if (e.channel == 0)
        return e.offline;
    const int main = FindEntry(list, e.address, 0);
    return main >= 0 && list[static_cast<std::size_t>(main)].offline;
}

// The first offline main-channel entry after the one at `lastAddress`, in list order and round
// again; the caller knows there is one.
PollEntry& NextOffline(PollList& list, int lastAddress) {
    const int last = FindEntry(list, lastAddress, 0);
    const std::size_t start = last < 0 ? 0 : static_cast<std::size_t>(last) + 1;
    for (std::size_t k = 0; k < list.size(); ++k) {
        PollEntry& e = list[(start + k) % list.size()];
        if (e.address != -1 && e.channel == 0 && e.offline)
            return e;
    }
    return list.front(); // not reached: CountOffline found one
}

// Moves the position past the offline supplies' entries, round the end of the list (with the
// purge a pass ends with) when need be; the caller knows an answering entry is there.
void PassOverOffline(PollList& list, PollCursor& cursor) {
    for (std::size_t steps = 0; steps < 2 * MAX_LIST_ENTRIES; ++steps) {
        if (cursor.position >= list.size())
            EndOfCycle(list, cursor);
        if (!BelongsToOfflineSupply(list, list[cursor.position]))
            return;
        ++cursor.position;
    }
    if (cursor.position >= list.size())
        EndOfCycle(list, cursor);
}

// Whether the entry's poll sends nothing: a deleted entry, an identified second channel.
bool SendsNothing(const PollEntry& e) {
    return e.address == -1 || (e.channel == 1 && e.state != PollState::Unknown);
}

// Fast polling: whether an identified main channel's module data is due at this visit (see
// PollSchedule); when it is, the poll is taken as sent.
// A supply with a second channel reports that channel's measurements in its module data: it is
// asked for them at every visit, as literal polling does.
bool ModulesDue(const PollList& list, PollEntry& entry, PollCursor& cursor, const PollSchedule& schedule,
                int withModules) {
    if (entry.channel != 0 || entry.state == PollState::Unknown || !entry.moduleDataAllowed)
        return false;
    const auto now = schedule.now;
    const int second = FindEntry(list, entry.address, 1);
    const bool twoChannels =
        second >= 0 && list[static_cast<std::size_t>(second)].state != PollState::Unknown;
    if (entry.state != PollState::Identified && !twoChannels) {
        if (entry.modulesAskedAt && now - *entry.modulesAskedAt < schedule.moduleInterval)
            return false;
        const auto spacing = schedule.moduleInterval / std::max(1, withModules);
        if (cursor.lastModulePollAt && now - *cursor.lastModulePollAt < spacing)
            return false;
        cursor.lastModulePollAt = now;
    }
    entry.modulesAskedAt = now;
    return true;
}

void AppendPoll(const PollEntry& entry, int function, bool rs232Mode, RequestChoice& choice) {
    if (!rs232Mode)
        choice.request.push_back(static_cast<std::uint8_t>(entry.address));
    choice.request.push_back(static_cast<std::uint8_t>(function));
}

// The poll of one entry: nothing for a deleted entry or an identified second channel,
// identification while the supply is unknown, else measurements and module data in turn, or
// with fast polling measurements (its module polls go in ahead of them, see ModulesDue).
void PollRequest(PollEntry& entry, bool rs232Mode, RequestChoice& choice, bool measurementsFirst) {
    int function = 0;
    int data = -1;
    if (entry.address == -1)
        return;
    if (entry.state == PollState::Unknown) {
        function = FC_IDENTIFY;
        data = 1;
    } else if (entry.channel == 1) {
        return;
    } else {
        function = measurementsFirst ? FC_MEASURE : NextPollFunction(entry);
    }
    AppendPoll(entry, function, rs232Mode, choice);
    if (data >= 0)
        choice.request.push_back(static_cast<std::uint8_t>(data));
}

} // namespace

RequestChoice ChooseRequest(PollList& list, RequestQueue& queue, PollCursor& cursor, bool rs232Mode,
                            const PollSchedule& schedule) {
    RequestChoice choice;

    // The command at the head pre-empts the poll. It stays queued until its
    // acknowledgement removes it, or until it has gone out MAX_COMMAND_SENDS times unanswered.
    // The sends are the head command's own: the station used to count successive heads alike in
    // address times function code, which dropped every fourth of four quick settings of the same
    // limit unsent (and took address 65 with function 66 for 66 with 65).
    if (QueuedCommand* head = queue.head()) {
        if (head->sends >= MAX_COMMAND_SENDS) {
            RemoveHeadCommand(queue); // this cycle polls instead
        } else {
            ++head->sends;
            choice.request = head->bytes;
            choice.effects = head->effects;
            choice.fromQueue = true;
            return choice;
        }
    }

    if (list.empty()) {
        choice.pollListEmpty = true;
        return choice;
    }
    if (cursor.position >= list.size()) { // a purge shortened the list under us
        cursor.position = 0;
        cursor.modulesAsked = false;
    }

    const OfflineShare share = CountOffline(list);
    const bool sharing = share.answering > 0 && share.offline > 0;
    if (sharing && cursor.pollsSinceOfflineTurn >= OFFLINE_TURN_EVERY - 1) {
        PollEntry& gone = NextOffline(list, cursor.lastOfflineAddress);
        cursor.pollsSinceOfflineTurn = 0;
        cursor.lastOfflineAddress = gone.address;
        PollRequest(gone, rs232Mode, choice, schedule.measurementsFirst);
        return choice;
    }
    if (schedule.measurementsFirst) {
        // Past the entries with nothing to send and, sharing, past the offline supplies' (an
        // answering entry is there then, and it sends something); once round the list at most,
        // with the purge at its end.
        const auto passedOver = [&](const PollEntry& e) {
            return SendsNothing(e) || (sharing && BelongsToOfflineSupply(list, e));
        };
        for (std::size_t steps = 0; steps < 2 * MAX_LIST_ENTRIES && passedOver(list[cursor.position]);
             ++steps) {
            ++cursor.position;
            cursor.modulesAsked = false;
            EndOfCycle(list, cursor);
            if (list.empty()) {
                choice.pollListEmpty = true;
                return choice;
            }
        }
        PollEntry& entry = list[cursor.position];
        if (!cursor.modulesAsked && ModulesDue(list, entry, cursor, schedule, share.withModules)) {
            // Its module poll goes in ahead of its measurement: the position stays.
            cursor.modulesAsked = true;
            AppendPoll(entry, FC_MODULES, rs232Mode, choice);
            if (sharing)
                ++cursor.pollsSinceOfflineTurn;
            return choice;
        }
        cursor.modulesAsked = false;
    } else if (sharing) {
        PassOverOffline(list, cursor);
    }
    PollEntry& entry = list[cursor.position];
    ++cursor.position;
    PollRequest(entry, rs232Mode, choice, schedule.measurementsFirst);
    if (sharing && !choice.request.empty())
        ++cursor.pollsSinceOfflineTurn;
    return choice;
}

void EndOfCycle(PollList& list, PollCursor& cursor) {
    if (cursor.position < list.size())
        return;
    cursor.position = 0;
    std::erase_if(list, [](const PollEntry& e) { return e.address == -1; });
}

} // namespace rir
