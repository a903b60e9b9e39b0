// Which request goes on the bus next: the command queue first, else the next poll of the
// next supply. Shared by the UI thread and the bus thread; see BusShared for the locking rule.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "bus/BusState.h"
#include "bus/FrameCodec.h"
#include "bus/ReplyEnd.h"
#include "bus/RequestQueue.h"
#include "bus/Transport.h"

namespace rir {

// 127 addresses times two channels.
inline constexpr std::size_t MAX_LIVE_ENTRIES = 254;
// The bus thread's position is 8 bits wide: the list (deleted entries included) must stay
// short enough for the position to reach its end, or the purge would never run.
inline constexpr std::size_t MAX_LIST_ENTRIES = 255;
// Consecutive missed replies after which a supply counts as gone.
inline constexpr int MISSES_TO_DISCONNECT = 5;
// While any supply answers, the supplies that are gone share one poll cycle in this many: each
// silent address costs two read time-outs, and twenty of them would otherwise leave the one
// that answers a reply every two seconds or so. With none answering they are asked every cycle.
inline constexpr int OFFLINE_TURN_EVERY = 5;
// Answers without data in a row (exception replies to identification, measurements or module
// data, and identifications: a supply that wants to be identified again and again) after which
// a supply gets no more of the bus than a silent one: it joins the offline supplies' share until
// it answers a poll with data. A supply that answered everything with exception 5 used to take
// two polls in three from its neighbours, its re-identification jumping the queue each time.
inline constexpr int REFUSALS_TO_BACK_OFF = 5;

// How far a supply is known: nothing yet (it is asked to identify itself), identified (ratings
// known, measurements polled), complete (module configuration known too, status applied).
enum class PollState { Unknown, Identified, Complete };

struct PollEntry {
    int address = -1; // -1: deleted, waiting for the purge at the end of a pass
    int channel = 0;  // 1: a supply's second channel, never polled on its own
    PollState state = PollState::Unknown;
    int nextFunction = FC_MEASURE; // FC_MEASURE or FC_MODULES
    int missCount = 0;
    bool moduleDataAllowed = true; // false once the supply said it has no modules
    // Gone (five misses in a row) and not answered since: asked to identify itself only in the
    // offline supplies' turn.
    bool offline = false;
    // Answers without data in a row (see REFUSALS_TO_BACK_OFF).
    int refusals = 0;
    // Fast polling: when its module data was last asked; unset until the first time.
    std::optional<BusClock::time_point> modulesAskedAt;

    bool operator==(const PollEntry&) const = default;
    // Refusing its polls: offline and asked only in the offline supplies' turn, however it
    // answers its identification, until data comes.
    bool backingOff() const { return refusals >= REFUSALS_TO_BACK_OFF; }
};

using PollList = std::vector<PollEntry>;
// The values one cycle read.
using ReplyBuffer = std::vector<int>;
// How a cycle ended: it sent nothing (an empty poll list), its request was answered (the reply
// buffer holds what came, however garbled), nothing came within the read time-outs, or the port
// failed under it.
enum class CycleEnd { NothingSent, Reply, NoReply, PortLost };
using BusLock = std::mutex;

// What the bus thread tells the window, one note at a time and in order.
enum class BusNote {
    Started,   // the thread runs
    Sent,      // a request went out; BusShared::sentText holds its log line
    EmptyList, // the poll list was empty
    // The port's fortunes; each comes with one PortEvent in BusShared::portEvents.
    PortOpened,  // the port is open and configured
    PortLost,    // the open port failed and was closed
    PortRefused, // the port cannot be opened
    CycleDone,   // the reply buffer holds this cycle's answer
};

// What happened to the port, for the note the bus thread posts about it: the note
// (PortOpened, PortLost or PortRefused), the port's name and, unless it opened, why.
struct PortEvent {
    BusNote note = BusNote::PortOpened;
    std::string port;
    PortError error;

    bool operator==(const PortEvent&) const = default;
};

// Everything the two threads share apart from the atomic flags of BusState. Every access
// holds `lock`; the bus thread never holds it across port i/o, a sleep or a wait.
struct BusShared {
    mutable BusLock lock;
    PollList pollList;
    RequestQueue requestQueue;
    CycleEnd cycleEnd = CycleEnd::NothingSent;
    ReplyBuffer replyBuffer; // what came back when cycleEnd is Reply; empty otherwise
    // The request this cycle sent, without framing; empty when it sent none. The UI thread's,
    // like replyBuffer, from the end-of-cycle note until the next go-ahead: a reply is taken
    // only for the request it answers.
    std::vector<int> cycleRequest;
    std::string sentText;
    // The port menu's names, indexed by BusState::portIndex. Only ever appended to (ports that
    // appear while the station runs), so an index stays valid.
    std::vector<std::string> portList;
    // One per port note posted and not yet handled, oldest first: a port that opens and fails
    // again before the window gets round to it must not lose the first reason.
    std::deque<PortEvent> portEvents;
};

// The bus thread's own bookkeeping, created once and kept across port reopenings.
struct PollCursor {
    std::uint8_t position = 0;
    // Polls of the answering supplies since the offline supplies' last turn.
    int pollsSinceOfflineTurn = 0;
    // The address the last offline turn asked; the next turn asks the next offline one after it.
    int lastOfflineAddress = 0;
    // Fast polling: when the last module poll that was not urgent went out (see PollSchedule).
    std::optional<BusClock::time_point> lastModulePollAt;
    // Fast polling: the entry at the position has had its module poll at this visit; its
    // measurement is next.
    bool modulesAsked = false;
};

// How an identified supply's poll is chosen.
// - Literal polling (`measurementsFirst` false) alternates measurements and module data at
//   every visit of the entry (NextPollFunction); the other fields are not looked at.
// - Fast polling asks measurements at every visit, and module data only when it is due, in a
//   cycle of its own just before the visit's measurement: at most once per `moduleInterval`,
//   and the supplies' module polls kept at least moduleInterval / (supplies with modules)
//   apart, so that polls that fall due together (every supply identified in the same pass)
//   spread over the interval instead of taking a whole pass from the measurements. A supply
//   identified but not complete (just identified, or identified again after a module change)
//   is asked at once, whatever the spacing. A supply with an identified second channel is
//   asked at every visit: that channel's measurements come in its module data. The walk also
//   passes over the entries that have nothing to send (deleted entries and identified second
//   channels) instead of spending a cycle on each.
struct PollSchedule {
    bool measurementsFirst = false;
    std::chrono::milliseconds moduleInterval{std::chrono::seconds(DEFAULT_MODULE_INTERVAL_S)};
    BusClock::time_point now{};
};

// Locks the bus structures, finds the entry of (address, channel) and runs `action` on it.
// Returns what `action` returned, or `absent` when there is no such entry (the page was
// deleted, or never had one).
template <class Action, class Result = std::invoke_result_t<Action, PollEntry&>>
Result WithEntry(BusShared& bus, int address, int channel, Action&& action, Result absent = Result{});

// False (and nothing added) when the list is full or the address or channel is out of range.
bool AddEntry(PollList& list, int address, int channel);
void MarkDeleted(PollList& list, int address, int channel);
int FindEntry(const PollList& list, int address, int channel);
std::size_t LiveEntryCount(const PollList& list);

int NextPollFunction(PollEntry& entry);
// True on the miss that makes the supply count as gone (the entry is back to identification and
// offline).
bool CountMiss(PollEntry& entry);
// The supply counts as gone: it is asked to identify itself again before anything else, and
// about its modules after that.
void SendBackToIdentification(PollEntry& entry);
// A reply with data (or an answer to a command): no misses, no refusals, not offline any more.
void ClearMisses(PollEntry& entry);
// An identification: no misses, and back from offline, unless it is one too many without data
// in between. True on the identification that makes the supply back off.
bool ClearMissesOnIdentity(PollEntry& entry);
// A poll refused with an exception reply (which also counts as a miss: the page has nothing
// new). True on the refusal that makes the supply back off.
bool CountRefusal(PollEntry& entry);

// Appends a whole command under one hold of the lock.
bool EnqueueCommand(BusShared& bus, std::span<const int> values, CommandEffects effects = {});

struct RequestChoice {
    std::vector<std::uint8_t> request; // empty: nothing to send this cycle
    bool pollListEmpty = false;        // the poll step found no entries
    bool fromQueue = false;
    CommandEffects effects; // the queued command's; none for a poll
};

// The per-cycle choice; the caller holds the lock for the whole call. While some supply answers
// (a live main-channel entry that is not offline), the walk through the list passes over the
// offline supplies, and every OFFLINE_TURN_EVERY-th poll asks the next of them in turn instead.
RequestChoice ChooseRequest(PollList& list, RequestQueue& queue, PollCursor& cursor, bool rs232Mode,
                            const PollSchedule& schedule = {});
// After each cycle: wrap the position at the end of a pass and purge deleted entries.
void EndOfCycle(PollList& list, PollCursor& cursor);

template <class Action, class Result>
Result WithEntry(BusShared& bus, int address, int channel, Action&& action, Result absent) {
    std::lock_guard<BusLock> hold(bus.lock);
    const int i = FindEntry(bus.pollList, address, channel);
    if (i < 0)
        return absent;
    return action(bus.pollList[static_cast<std::size_t>(i)]);
}

} // namespace rir
