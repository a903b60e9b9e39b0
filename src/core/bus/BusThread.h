// The station's only bus worker: one request per cycle, paced by the UI thread through "EStart".
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "bus/AutoResetEvent.h"
#include "bus/BusState.h"
#include "bus/PollList.h"
#include "bus/ReplyEnd.h"
#include "bus/Transport.h"

namespace rir {

class BusNotifier {
public:
    virtual ~BusNotifier() = default;
    // Called on the bus thread; must only queue the note for the UI thread, in order.
    virtual void Post(BusNote note) = 0;
};

// A pause the bus thread takes after a switch-off or a module change, so the supply settles
// before the next request.
inline constexpr int SETTLE_AFTER_SWITCH_MS = 70;
// After (re)opening the port, before the first request.
inline constexpr int SETTLE_AFTER_OPEN_MS = 200;
// Between attempts to open a port that is missing, busy or lost. The station used to retry at
// once, which spins a core for as long as the port is away; once a second finds an adapter
// plugged back in soon enough and costs nothing. A stop or a port change ends the pause.
inline constexpr int OPEN_RETRY_PAUSE_MS = 1000;
// A line that never falls silent must not keep the bus thread reading for ever.
inline constexpr std::size_t MAX_REPLY_VALUES = 1024;

inline constexpr const char* SENT_TEXT_PREFIX = "Отправили в порт: ";

// The port path for a port name: COM1..COM9 as they are, higher numbers with the \\.\ prefix
// that the platform needs for them, any other name unchanged.
std::string PortPath(const std::string& name);

// The character format of a framing at a speed: RS-232 mode 8E1, MODBUS-ASCII 7N2, RTU 8N1.
LineSettings LineSettingsFor(Framing framing, int baud);

// Everything the bus thread works with. It outlives the thread.
struct BusContext {
    BusState& state;
    BusShared& shared;
    AutoResetEvent& eStart; // created signalled: the first cycle starts at once
    BusNotifier& notifier;
    Transport& port; // the serial line, or any byte stream to the supplies
    // Sleeps unless a stop is requested; returns true when stopped. Tests replace it. Empty:
    // the real pauses, and the one between attempts to open the port also ends on a port change.
    std::function<bool(int ms)> sleep;
    // The pause between attempts to open the port (tests lengthen it to prove what ends it).
    int openRetryMs = OPEN_RETRY_PAUSE_MS;
    // The clock that times the quiet gap after a reply that ended as soon as it was whole.
    // Empty: the steady clock. Tests step their own.
    std::function<BusClock::time_point()> clock{};
    // Waits out what is left of that gap unless a stop is requested; true when stopped. Empty:
    // the real wait. Tests record it.
    std::function<bool(std::chrono::microseconds)> quietWait{};
};

// The thread function. Returns when RequestBusStop was called (process exit, tests).
int BusThreadProc(BusContext& bus);
// Asks the bus thread to end: wakes it from its wait on "EStart" and from any pause.
void RequestBusStop(BusContext& bus);
// The UI's port, speed or protocol change: the thread closes and reopens the port after its
// cycle, or at once while it waits to retry a port that is away.
void RequestReopen(BusState& state, AutoResetEvent& eStart);

} // namespace rir
