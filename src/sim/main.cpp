// rir-sim: RIR power supplies on a pseudo-terminal (or a TCP port), for demonstrations and training without
// hardware and for the station's end-to-end tests.
#include "PtyPort.h"
#include "ReplyWriter.h"
#include "SimBus.h"
#include "SimOptions.h"
#include "TcpListener.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <poll.h>
#include <span>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

namespace {

using rir::sim::ReplyWriter;
using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

// Longest sleep without anything to do; the model's clock is caught up on every wake-up anyway.
constexpr std::int64_t IDLE_WAKE_MICROS = 1000000;
// After the line reports a hang-up, look again this much later rather than spin on it.
constexpr std::int64_t HANGUP_RETRY_MICROS = 100000;

struct Session {
    rir::sim::SimBus& bus;
    // The line's speed and format for wire time: what the station set on the pseudo-terminal, or
    // what --baud says behind a TCP port.
    std::function<rir::sim::LineSettings()> line;
    ReplyWriter& writer;
    Clock::time_point start;
    std::int64_t modelMs = 0;

    std::int64_t ElapsedMs(Clock::time_point now) const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count();
    }

    void Send(const std::vector<std::uint8_t>& bytes, Clock::time_point now) {
        if (bytes.empty())
            return;
        std::int64_t characterMicros = 0;
        if (writer.wireTime())
            characterMicros = rir::sim::CharacterMicros(line());
        writer.Queue(bytes, now, characterMicros);
        writer.Flush(now);
    }

    // Brings the model's clock up to the steady clock and sends what the silence completed.
    void CatchUp(Clock::time_point now) {
        const std::int64_t elapsed = ElapsedMs(now);
        if (elapsed > modelMs) {
            const auto replies = bus.Advance(elapsed - modelMs);
            modelMs = elapsed;
            Send(replies, now);
        }
    }

    void Log(const std::string& line) const {
        const double seconds = static_cast<double>(ElapsedMs(Clock::now())) / 1000.0;
        std::fprintf(stderr, "[%9.3f] %s\n", seconds, line.c_str());
    }
};

int Run(const rir::sim::SimOptions& options) {
    rir::sim::SimBus bus(options.framing);
    for (const auto& d : options.devices) {
        const auto ratings = rir::sim::SimRatingsFor(d.model);
        bus.AddSupply(d.address,
                      rir::sim::SimSupply(*ratings, d.config, d.loadOhms.value_or(options.defaultLoadOhms)));
        if (d.switchOnSeconds)
            bus.SwitchOnAt(d.address, static_cast<std::int64_t>(*d.switchOnSeconds * 1000.0));
        if (d.fault)
            bus.SetFault(d.address, *d.fault);
    }
    for (const auto& e : options.events)
        bus.Schedule(e);

    rir::sim::PtyPort pty;
    rir::sim::TcpListener tcp;
    const bool overTcp = options.listenPort.has_value();
    if (const std::string error = overTcp ? tcp.Open(*options.listenPort) : pty.Open(); !error.empty()) {
        std::fprintf(stderr, "rir-sim: %s\n", error.c_str());
        return 1;
    }
    if (!options.linkPath.empty()) {
        if (const std::string error = pty.MakeLink(options.linkPath); !error.empty()) {
            std::fprintf(stderr, "rir-sim: %s\n", error.c_str());
            return 1;
        }
    }

    // The stop signals are held back except inside ppoll, so that one arriving between the check
    // of g_stop and the wait still ends the wait. Inside the wait they are let through even when
    // whoever started us had them blocked.
    sigset_t stopSignals;
    sigset_t waitMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGHUP);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    if (options.parentPid != 0) {
        // The stop signal comes when the parent ends; if it already has, nobody is left to ask.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != options.parentPid)
            return 0;
    }

    if (overTcp)
        std::printf("tcp://127.0.0.1:%d\n", tcp.port());
    else
        std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    if (options.wireTime) {
        // A character at 38400 baud lasts 260 µs and each reply byte is a wake-up of its own; the
        // kernel's default timer slack (50 µs) would let every one of them come late and stretch
        // the reply by a fifth. One microsecond keeps the bytes on their times.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    }
    ReplyWriter writer(overTcp ? -1 : pty.masterFd(), options.wireTime);
    const auto line = [&]() {
        if (overTcp)
            return rir::sim::LineSettings{options.baud, 8, false, 1};
        return rir::sim::ReadLineSettings(pty.masterFd()).value_or(rir::sim::LineSettings{});
    };
    Session session{bus, line, writer, Clock::now(), 0};
    if (options.verbose)
        bus.SetLogger([&session](const std::string& line) { session.Log(line); });

    Clock::time_point hangupUntil{};
    // The station went away: a TCP connection is closed and the next one awaited; a
    // pseudo-terminal's hang-up is looked at again a little later rather than spun on.
    const auto LinkGone = [&](Clock::time_point now) {
        if (overTcp) {
            if (options.verbose)
                session.Log("the station disconnected");
            tcp.Drop();
            writer.setFd(-1);
        } else {
            hangupUntil = now + std::chrono::microseconds(HANGUP_RETRY_MICROS);
        }
    };
    std::vector<std::uint8_t> buffer(512);
    while (g_stop == 0) {
        Clock::time_point now = Clock::now();
        session.CatchUp(now);
        writer.Flush(now);

        std::int64_t waitMicros = IDLE_WAKE_MICROS;
        if (const auto ms = bus.MsUntilDeadline())
            waitMicros = std::min(waitMicros, (*ms + 1) * 1000);
        if (const auto us = writer.MicrosUntilDue(now))
            waitMicros = std::min(waitMicros, *us);
        const bool listen = now >= hangupUntil;
        if (!listen)
            waitMicros = std::min<std::int64_t>(
                waitMicros, std::chrono::duration_cast<std::chrono::microseconds>(hangupUntil - now).count());

        // The bus's bytes come from the pseudo-terminal or the TCP connection; behind TCP the
        // listening socket is watched too, for a station that connects (again).
        const int linkFd = overTcp ? tcp.clientFd() : pty.masterFd();
        pollfd fds[2] = {
            {linkFd, static_cast<short>((listen ? POLLIN : 0) | (writer.blocked() ? POLLOUT : 0)), 0},
            {tcp.listenFd(), POLLIN, 0}};
        pollfd& pfd = fds[0];
        const timespec timeout{static_cast<time_t>(waitMicros / 1000000),
                               static_cast<long>((waitMicros % 1000000) * 1000)};
        const int ready = ppoll(fds, overTcp ? 2 : 1, &timeout, &waitMask);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "rir-sim: poll: %s\n", std::strerror(errno));
            return 1;
        }
        if (overTcp && (fds[1].revents & POLLIN) != 0 && tcp.Accept()) {
            writer.setFd(tcp.clientFd());
            if (options.verbose)
                session.Log("a station connected");
            continue;
        }
        now = Clock::now();
        if ((pfd.revents & POLLIN) != 0) {
            const ssize_t n = read(linkFd, buffer.data(), buffer.size());
            if (n > 0) {
                session.CatchUp(now);
                const std::span<const std::uint8_t> received(buffer.data(), static_cast<std::size_t>(n));
                if (options.verbose)
                    session.Log("received " + rir::sim::HexText(received));
                session.Send(bus.Receive(received), now);
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                LinkGone(now);
            }
        } else if ((pfd.revents & (POLLHUP | POLLERR)) != 0) {
            LinkGone(now);
        }
        if ((pfd.revents & POLLOUT) != 0)
            writer.Flush(now);
    }
    if (options.verbose)
        session.Log("stopping");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const rir::sim::ParsedOptions parsed = rir::sim::ParseSimOptions(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "rir-sim: %s\nTry 'rir-sim --help'.\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(rir::sim::SimHelpText().c_str(), stdout);
        return 0;
    }
    return Run(parsed.options);
}
