// The real bus thread and Qt serial adapter against rir-sim, with the station's reply intake
// playing the window's part.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <sstream>

#include "NoteQueue.h"
#include "QtBusThread.h"
#include "QtSerialPort.h"
#include "SimProcess.h"
#include "app/EventLog.h"
#include "app/Station.h"
#include "device/PageControls.h"

namespace rir {
namespace {

using namespace std::chrono_literals;

class Silent : public Prompts, public StationListener {
public:
    explicit Silent(EventLog& log) : log_(log) {}
    std::vector<std::string> lines;
    void Message(const std::string& text) override { lines.push_back("message: " + text); }
    bool Ask(const std::string& text) override {
        lines.push_back("question: " + text);
        return false;
    }
    std::optional<int> AskAddress(int) override { return std::nullopt; }
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseProgramFile() override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const std::string&) override { return std::nullopt; }
    std::optional<NetworkPortFields> AskNetworkPort(const NetworkPortFields&) override { return std::nullopt; }
    void PageAdded(DevicePage&) override {}
    void PageRemoved(DevicePage&) override {}
    void PageChanged(DevicePage&) override {}
    void TabsChanged() override {}
    void MenuChanged() override {}
    void LayoutChanged() override {}
    void LogChanged() override {
        const std::string& t = log_.screenText();
        const std::size_t end = t.size() >= 2 ? t.size() - 2 : 0;
        const std::size_t start = t.rfind("\r\n", end > 0 ? end - 1 : 0);
        const std::string line = t.substr(start == std::string::npos ? 0 : start + 2,
                                          end - (start == std::string::npos ? 0 : start + 2));
        lines.push_back(line.size() > 9 ? line.substr(9) : line);
    }

private:
    EventLog& log_;
};

// A station without a window, its bus thread on a simulator's line.
struct LiveBus {
    test::SimProcess sim;
    EventLog log{"/nonexistent-dir/zadida.txt"};
    Silent ui{log};
    test::NoteQueue notes;
    std::unique_ptr<Station> station;
    QtBusThread thread;
    std::vector<std::vector<int>> sent; // requests as logged, the RTU checksum bytes left out
    bool rtu = false;

    // `tune` changes the settings the station starts from (speed, fast polling).
    LiveBus(std::vector<std::string> simArgs, const std::string& protocol, std::vector<int> addresses,
            const std::function<void(StoredSettings&)>& tune = {})
        : sim(std::move(simArgs)), rtu(protocol == "RTU") {
        station = std::make_unique<Station>(std::vector<std::string>{sim.path()}, ui, ui, log);
        StoredSettings s;
        s.port = sim.path();
        s.protocol = protocol;
        for (int a : addresses)
            s.tabSections.push_back({"#" + std::to_string(a), a, 0});
        if (tune)
            tune(s);
        station->Start(&s);
        thread.Start(station->busLink(), notes, [] { return std::make_unique<QtSerialPort>(); });
    }
    ~LiveBus() { thread.Stop(); }

    // Hands notes to the station until `done` holds; false after the deadline.
    template <typename Pred> bool PumpUntil(Pred done, std::chrono::seconds deadline = 30s) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            BusNote note{};
            if (!notes.Pop(note, 100ms))
                continue;
            if (note == BusNote::Sent) {
                std::lock_guard<BusLock> hold(station->busLink().shared().lock);
                std::vector<int> request = Numbers(station->busLink().shared().sentText);
                if (rtu && request.size() >= 2)
                    request.resize(request.size() - 2);
                sent.push_back(request);
            }
            station->OnBusReply(note);
        }
        return true;
    }
    bool HasLine(const std::string& line) const {
        return std::find(ui.lines.begin(), ui.lines.end(), line) != ui.lines.end();
    }
    bool Online(int address, int channel = 0) const {
        const DevicePage* p = station->FindPage(address, channel);
        return p && p->state.online;
    }
    static std::vector<int> Numbers(const std::string& text) {
        std::istringstream in(text.substr(text.find(':') + 1));
        std::vector<int> v;
        int x = 0;
        while (in >> x)
            v.push_back(x);
        return v;
    }
    // The function codes polled at an address, in order (RTU/ASCII requests: address first).
    std::vector<int> FunctionsTo(int address) const {
        std::vector<int> f;
        for (const auto& r : sent)
            if (r.size() >= 2 && r[0] == address)
                f.push_back(r[1]);
        return f;
    }
};

bool Alternates(const std::vector<int>& functions) {
    // From the first measurement on: measurement and module data in turn.
    auto it = std::find(functions.begin(), functions.end(), FC_MEASURE);
    if (std::distance(it, functions.end()) < 4)
        return false;
    for (int expected = FC_MEASURE; it != functions.end(); ++it) {
        if (*it != expected)
            return false;
        expected = expected == FC_MEASURE ? FC_MODULES : FC_MEASURE;
    }
    return true;
}

// Fast polling measures first: a supply's module data now and then (once per module interval),
// each time in the cycle just before that supply's measurement.
bool ModulesNowAndThen(const std::vector<int>& functions) {
    const auto modules = std::count(functions.begin(), functions.end(), FC_MODULES);
    if (modules == 0 || modules * 10 > static_cast<long>(functions.size()))
        return false;
    for (std::size_t i = 0; i + 1 < functions.size(); ++i) {
        if (functions[i] == FC_MODULES && functions[i + 1] != FC_MEASURE)
            return false;
    }
    return true;
}

struct FramingCase {
    const char* simFraming;
    const char* protocol;
};

class ThreeSupplies : public ::testing::TestWithParam<FramingCase> {};

TEST_P(ThreeSupplies, IdentifiedThenMeasuredAndModulePolledInTurn) {
    LiveBus bus(
        {"--framing", GetParam().simFraming, "--device", "1:2:1", "--device", "2:4:1", "--device", "3:6:9"},
        GetParam().protocol, {1, 2, 3});
    ASSERT_FALSE(bus.sim.path().empty());
    ASSERT_TRUE(bus.PumpUntil([&] { return bus.Online(1) && bus.Online(2) && bus.Online(3); }));
    ASSERT_TRUE(bus.PumpUntil([&] {
        return bus.FunctionsTo(1).size() >= 8 && bus.FunctionsTo(2).size() >= 8 &&
               bus.FunctionsTo(3).size() >= 8;
    }));
    for (int a : {1, 2, 3}) {
        const auto f = bus.FunctionsTo(a);
        EXPECT_EQ(f.front(), FC_IDENTIFY) << a;
        EXPECT_TRUE(Alternates(f)) << a;
    }
    EXPECT_EQ(bus.sent.front(), (std::vector<int>{1, FC_IDENTIFY, 1}));
    const DevicePage& p = *bus.station->FindPage(1, 0);
    EXPECT_EQ(p.view.text(IDC_DESCRIPTION_GROUP), "#1  RIR 37V 14A timer/ampere");
    EXPECT_TRUE(bus.HasLine(std::string("Поток работы с com-портами запущен. Протокол: ") +
                            (std::string(GetParam().protocol) == "RTU" ? "MODBUS-RTU" : "MODBUS-ASCII")));
}

INSTANTIATE_TEST_SUITE_P(Framings, ThreeSupplies,
                         ::testing::Values(FramingCase{"rtu", "RTU"}, FramingCase{"ascii", "ASCII"}),
                         [](const ::testing::TestParamInfo<FramingCase>& info) {
                             return std::string(info.param.protocol);
                         });

TEST(BusE2E, Rs232LineCarriesOneSupplyWithoutAddresses) {
    LiveBus bus({"--framing", "rs232", "--device", "15:2:1"}, "RS232", {15});
    ASSERT_TRUE(bus.PumpUntil([&] { return bus.Online(15) && bus.sent.size() >= 6; }));
    EXPECT_EQ(bus.sent.front(), (std::vector<int>{FC_IDENTIFY, 1}));
    // The identification reply: function code and 11 payload bytes, no address.
    EXPECT_TRUE(std::any_of(bus.ui.lines.begin(), bus.ui.lines.end(), [](const std::string& l) {
        return l.rfind("Считали 12 байт от устройства #0 (ф. 65):  65 2 ", 0) == 0;
    }));
}

TEST(BusE2E, QueuedCommandGoesBeforeTheNextPollAndLeavesOnItsAcknowledgement) {
    LiveBus bus({"--framing", "rtu", "--device", "1:2:1"}, "RTU", {1});
    ASSERT_TRUE(bus.PumpUntil([&] { return bus.Online(1); }));
    const std::size_t before = bus.sent.size();
    // Switch the output on at 12.00 V and 1.00 A. A cycle may be under way already: the command
    // goes out no later than the one after it.
    const std::vector<int> command{1, FC_CONTROL, 0x0F, 0x04, 0xB0, 0x00, 0x64};
    EnqueueCommand(bus.station->busLink().shared(), command);
    ASSERT_TRUE(bus.PumpUntil([&] { return bus.sent.size() > before + 3; }));
    const auto first = std::find(bus.sent.begin() + static_cast<long>(before), bus.sent.end(), command);
    ASSERT_NE(first, bus.sent.end());
    EXPECT_LE(first - bus.sent.begin(), static_cast<long>(before) + 1);
    EXPECT_EQ(std::count(bus.sent.begin(), bus.sent.end(), command), 1) << "acknowledged: not sent again";
    {
        std::lock_guard<BusLock> hold(bus.station->busLink().shared().lock);
        EXPECT_TRUE(bus.station->busLink().shared().requestQueue.empty());
    }
    ASSERT_TRUE(bus.PumpUntil([&] { return bus.station->FindPage(1, 0)->state.outputOn; }));
    EXPECT_EQ(bus.station->FindPage(1, 0)->state.voltLimit, 1200);
}

TEST(BusE2E, QuickSettingsOfOneLimitAllReachTheSupply) {
    // Four output writes of the same address and function queued at once, as four quick
    // Enters in the current edit make them: each goes out, none is dropped unsent.
    LiveBus bus({"--framing", "rtu", "--device", "1:2:1"}, "RTU", {1});
    ASSERT_TRUE(bus.PumpUntil([&] { return bus.Online(1); }));
    std::vector<std::vector<int>> commands;
    for (int amps : {100, 200, 300, 400})
        commands.push_back({1, FC_CONTROL, 0x04, 0, 0, amps >> 8, amps & 0xFF});
    for (const auto& c : commands)
        ASSERT_TRUE(EnqueueCommand(bus.station->busLink().shared(), c));
    ASSERT_TRUE(bus.PumpUntil([&] { return bus.station->FindPage(1, 0)->state.currLimit == 400; }));
    for (const auto& c : commands)
        EXPECT_EQ(std::count(bus.sent.begin(), bus.sent.end(), c), 1) << c[5] * 256 + c[6];
}

// A misbehaving supply (#15) beside a healthy one (#20) of another model, both with tabs, fast
// polling on: nothing #15 sends is ever taken as #20's data, and #20 keeps being measured. One
// that gives no data is never believed and gets no more of the bus than a silent supply.
struct FaultCase {
    const char* name;
    const char* fault;
    const char* line; // a log line the fault must bring, said once where it says so
    bool once;
    bool givesNoData;
};

class MisbehavingSupply : public ::testing::TestWithParam<FaultCase> {};

TEST_P(MisbehavingSupply, NeverBelievedAndNeverHogsTheBus) {
    const FaultCase& c = GetParam();
    LiveBus bus({"--framing", "rtu", "--device", "15:2:1", "--device", "20:3:0", "--fault", c.fault}, "RTU",
                {15, 20}, [](StoredSettings& s) { s.fastPoll = 1; });
    ASSERT_TRUE(bus.PumpUntil([&] { return bus.Online(20); }));
    const std::size_t from = bus.sent.size();
    ASSERT_TRUE(bus.PumpUntil([&] { return bus.sent.size() >= from + 200; }, std::chrono::seconds(60)));
    const DevicePage& healthy = *bus.station->FindPage(20, 0);
    EXPECT_TRUE(bus.Online(20)) << c.name;
    EXPECT_EQ(healthy.state.model, 3) << c.name;
    if (c.givesNoData) {
        EXPECT_FALSE(bus.Online(15)) << c.name;
        EXPECT_EQ(bus.station->FindPage(15, 0)->state.voltMeas, 0) << c.name;
        const auto to15 = static_cast<std::size_t>(
            std::count_if(bus.sent.begin() + static_cast<long>(from), bus.sent.end(),
                          [](const std::vector<int>& r) { return !r.empty() && r[0] == 15; }));
        EXPECT_LE(to15 * 4, bus.sent.size() - from)
            << c.name << ": " << to15 << " of " << bus.sent.size() - from;
    }
    const auto lines =
        static_cast<std::size_t>(std::count_if(bus.ui.lines.begin(), bus.ui.lines.end(),
                                               [&](const std::string& l) { return l.starts_with(c.line); }));
    if (c.once)
        EXPECT_EQ(lines, 1u) << c.name;
    else
        EXPECT_GE(lines, 1u) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MisbehavingSupply,
    ::testing::Values(
        FaultCase{"Refuses", "15:refuse",
                  "Устройство 15 отвечает на опрос отказом (код 5), опрашиваем его реже", true, true},
        FaultCase{"AnswersAsAnother", "15:foreign:20", "Ответ не на тот запрос: ждали от устройства #15",
                  false, true},
        FaultCase{"Garbles", "15:garble", "Считали данные от устройства, но неверная контрольная сумма!",
                  false, true},
        // Its replies land in later cycles: one that lands while the same is asked of the same
        // supply is its answer, only late; the rest are no one's data.
        FaultCase{"IsLate", "15:late:300", "Ответ не на тот запрос: ждали от устройства #", false, false}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST(BusE2E, SilentAddressGivesTheNoReplyLine) {
    LiveBus bus({"--framing", "rtu", "--device", "1:2:1"}, "RTU", {1, 99});
    ASSERT_TRUE(
        bus.PumpUntil([&] { return bus.HasLine("Устройство 99 не ответило (ф. 65)") && bus.Online(1); }));
    EXPECT_FALSE(bus.Online(99));
}

// Fast polling ends each reply at its last byte. Supplies of different models and module
// configurations give replies of every length the bus carries (module data with and without
// records among them), each arriving a byte at a time at the line's speed: not one may be cut
// short or run into the next request.
TEST(BusE2E, FastPollingCarriesAMixedBusWithoutAMissOrAChecksumFailure) {
    constexpr int REQUESTS = 3000;
    LiveBus bus({"--framing", "rtu", "--wire-time", "--device", "1:2:1", "--device", "2:4:none", "--device",
                 "3:6:9", "--device", "4:3:2"},
                "RTU", {1, 2, 3, 4}, [](StoredSettings& s) {
                    s.speed = 38400;
                    s.fastPoll = 1;
                });
    ASSERT_FALSE(bus.sim.path().empty());
    ASSERT_TRUE(bus.station->busLink().state().fastPolling.load());
    ASSERT_TRUE(
        bus.PumpUntil([&] { return bus.Online(1) && bus.Online(2) && bus.Online(3) && bus.Online(4); }));
    ASSERT_TRUE(
        bus.PumpUntil([&] { return bus.station->busLink().state().requestsSent.load() >= REQUESTS; }, 120s));
    EXPECT_EQ(bus.station->link().misses, 0);
    EXPECT_EQ(bus.station->link().badReplies, 0);
    for (int a : {1, 2, 3, 4}) {
        EXPECT_TRUE(bus.Online(a)) << a;
        const auto f = bus.FunctionsTo(a);
        EXPECT_GE(f.size(), static_cast<std::size_t>(REQUESTS / 5)) << a;
    }
    // Module data polls go to the supplies that have modules, now and then; the one without
    // answers measurements.
    EXPECT_TRUE(ModulesNowAndThen(bus.FunctionsTo(1)));
    EXPECT_TRUE(ModulesNowAndThen(bus.FunctionsTo(3)));
    EXPECT_FALSE(std::any_of(bus.ui.lines.begin(), bus.ui.lines.end(), [](const std::string& l) {
        return l.find("не ответило") != std::string::npos;
    }));
}

TEST(BusE2E, ProtocolChangeReopensThePort) {
    LiveBus bus({"--framing", "rtu", "--device", "1:2:1"}, "ASCII", {1});
    ASSERT_TRUE(bus.PumpUntil([&] { return bus.HasLine("Устройство 1 не ответило (ф. 65)"); }));
    EXPECT_FALSE(bus.Online(1)) << "the supplies speak RTU";
    bus.station->OnCommand(ID_MENU_RTU);
    ASSERT_TRUE(bus.PumpUntil([&] { return bus.Online(1); }));
    EXPECT_EQ(bus.station->busLink().state().framing.load(), Framing::Rtu);
    EXPECT_TRUE(bus.HasLine("Смена протокола работы на MODBUS-RTU"));
}

} // namespace
} // namespace rir
