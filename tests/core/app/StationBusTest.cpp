// The station and the real bus thread over a fake port, the notes handed over as the window
// does: a supply online, its adapter pulled and plugged back in.
#include "StationRig.h"

#include "FakeBus.h"
#include "bus/BusThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace rir {
namespace {

using namespace std::chrono_literals;

std::vector<std::uint8_t> WithCrc(std::vector<int> app) {
    const std::uint16_t crc = Crc16(std::span<const int>(app));
    app.push_back(crc & 0xFF);
    app.push_back(crc >> 8);
    return {app.begin(), app.end()};
}

// A model-2 supply at address 15 without modules, in MODBUS-RTU.
std::vector<std::uint8_t> Supply15(const std::vector<std::uint8_t>& request) {
    if (request.size() < 2 || request[0] != 15)
        return {};
    switch (request[1]) {
    case FC_IDENTIFY:
        return WithCrc({15, FC_IDENTIFY, 0x02, 0x0F, 0x3C, 0x05, 0xDC, 0x00, 0x05, 0xDC, 0x03, 0xE8, 0x00});
    case FC_MEASURE:
        return WithCrc({15, FC_MEASURE, 0x05, 0xDC, 0x07, 0xD0, 0x00, 0x64, 0x01, 0xF4, 0x01});
    case FC_MODULES:
        return WithCrc({15, FC_MODULES | EXCEPTION_FLAG, 0x01});
    default:
        return {};
    }
}

struct StationOnBus : test::StationRig {
    test::NoteQueue notes;
    test::FakeSerialPort port;
    BusContext context{station.busLink().state(),
                       station.busLink().shared(),
                       station.busLink().eStart(),
                       notes,
                       port,
                       nullptr};
    std::mutex gate;
    int retriesReleased = 0;
    int retriesTaken = 0;
    std::thread thread;

    StationOnBus() : StationRig({"/dev/ttyUSB0"}) {
        StoredSettings s;
        s.protocol = "RTU";
        station.Start(&s);
        port.answer = Supply15;
        // Settle pauses are skipped; each pause between attempts to open waits for Release.
        context.sleep = [this](int ms) {
            while (ms == context.openRetryMs && !station.busLink().eStart().Cancelled()) {
                {
                    std::lock_guard<std::mutex> hold(gate);
                    if (retriesTaken < retriesReleased) {
                        ++retriesTaken;
                        break;
                    }
                }
                std::this_thread::sleep_for(1ms);
            }
            return station.busLink().eStart().Cancelled();
        };
        thread = std::thread([this] { BusThreadProc(context); });
    }
    ~StationOnBus() {
        RequestBusStop(context);
        thread.join();
    }
    void ReleaseRetry() {
        std::lock_guard<std::mutex> hold(gate);
        ++retriesReleased;
    }
    int RetriesTaken() {
        std::lock_guard<std::mutex> hold(gate);
        return retriesTaken;
    }
    // Hands the notes to the station until `done` holds; false after a generous deadline.
    template <typename Pred> bool PumpUntil(Pred done) {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (!done()) {
            BusNote note{};
            if (notes.Pop(note, 10ms))
                station.OnBusReply(note);
            if (std::chrono::steady_clock::now() > end)
                return false;
        }
        return true;
    }
    // Hands over the notes already posted.
    void Drain() {
        BusNote note{};
        while (notes.Pop(note, 0ms))
            station.OnBusReply(note);
    }
    bool Online() { return station.FindPage(15, 0)->state.online; }
    std::size_t WireSize() {
        return port.With([&] { return port.wire.size(); });
    }
    std::size_t LinesStartingWith(const std::string& head) const {
        std::size_t n = 0;
        for (const std::string& line : Lines())
            n += line.starts_with(head) ? 1 : 0;
        return n;
    }
};

TEST(StationOnBus, APulledAdapterIsSaidOnceThePagesGoOfflineAndComeBackThroughIdentification) {
    StationOnBus rig;
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.Online(); })) << ::testing::PrintToString(rig.Lines());

    rig.port.With([&] {
        rig.port.readsFail = true;
        rig.port.refuseOpens = true;
        return true;
    });
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.station.link().portAway; }));
    EXPECT_FALSE(rig.Online()) << "offline at once, not after five misses";
    EXPECT_EQ(rig.Entry(15, 0).state, PollState::Unknown);
    const std::string lost = "Порт /dev/ttyUSB0 потерян: устройство отключено или не отвечает (Input/output "
                             "error). Повторяем попытки открыть его раз в секунду";
    EXPECT_EQ(rig.LastLine(), lost);

    // Away for a few attempts: nothing on the wire, nothing in the log.
    const std::size_t wire = rig.WireSize();
    const std::size_t lines = rig.Lines().size();
    for (int i = 1; i <= 3; ++i) {
        rig.ReleaseRetry();
        ASSERT_TRUE(rig.PumpUntil([&] { return rig.RetriesTaken() == i; }));
    }
    ASSERT_TRUE(
        rig.PumpUntil([&] { return rig.port.With([&] { return rig.port.openAttempts.size(); }) >= 4u; }));
    rig.Drain();
    EXPECT_EQ(rig.WireSize(), wire);
    EXPECT_EQ(rig.Lines().size(), lines);

    // Plugged back in: one line, and the supply is asked who it is before anything else.
    rig.port.With([&] {
        rig.port.readsFail = false;
        rig.port.refuseOpens = false;
        return true;
    });
    rig.ReleaseRetry();
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.Online(); })) << ::testing::PrintToString(rig.Lines());
    const std::vector<std::string> all = rig.Lines();
    const auto back =
        std::find(all.begin(), all.end(), "Порт /dev/ttyUSB0 снова доступен, опрос продолжается");
    ASSERT_NE(back, all.end());
    ASSERT_NE(back + 1, all.end());
    EXPECT_EQ(*(back + 1), "Отправили в порт:  15 65 1 176 83");
    EXPECT_EQ(rig.Count(lost), 1u);
    EXPECT_EQ(rig.LinesStartingWith("Устройство 15 не ответило"), 0u) << "a dead port is no silent supply";
}

} // namespace
} // namespace rir
