// What the station makes of the bus thread's port notes, of start/stop, of new ports and of a
// supply that answers everything with exception 5.
#include "StationRig.h"

#include "PageOnline.h"
#include "bus/BusThread.h"
#include "device/PageControls.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using test::StationRig;
using Strings = std::vector<std::string>;

const PortError IO_ERROR{PortErrorKind::Removed, "Input/output error"};
const std::string LOST_LINE = "Порт COM1 потерян: устройство отключено или не отвечает (Input/output error). "
                              "Повторяем попытки открыть его раз в секунду";
const std::string BACK_LINE = "Порт COM1 снова доступен, опрос продолжается";

// Two supplies online, #20 with its second channel; the port open.
struct LinkRig : StationRig {
    LinkRig() {
        StoredSettings s;
        s.protocol = "RTU";
        s.tabSections = {{"#15", 15, 0}, {"#20", 20, 0}, {"#20_2", 20, 1}};
        station.Start(&s);
        station.busLink().eStart().Wait(); // the first cycle is under way
        PortNote(BusNote::PortOpened, "COM1");
        for (const auto& page : station.pages()) {
            test::BringPageOnline(*page, 0);
            SetEntryState(page->state.address, page->state.channel, PollState::Complete);
        }
    }
};

TEST(StationLink, ALostPortIsSaidOnceAndEveryPageGoesOfflineAtOnce) {
    LinkRig rig;
    {
        std::lock_guard<BusLock> hold(rig.station.busLink().shared().lock);
        rig.station.busLink().shared().pollList[0].missCount = 3;
    }
    const std::size_t linesBefore = rig.Lines().size();
    rig.PortNote(BusNote::PortLost, "COM1", IO_ERROR);
    EXPECT_EQ(rig.Lines().size(), linesBefore + 1);
    EXPECT_EQ(rig.LastLine(), LOST_LINE);
    for (const auto& page : rig.station.pages()) {
        const int a = page->state.address;
        const int ch = page->state.channel;
        EXPECT_FALSE(page->state.online) << a << "_" << ch;
        EXPECT_EQ(page->view.text(IDC_OUTPUT_STATE), "-") << a << "_" << ch;
        EXPECT_FALSE(page->view.enabled(IDC_VOLT_EDIT)) << a << "_" << ch;
        // As on a fifth miss: identification first when the line is back. A second channel is
        // never polled on its own and keeps its entry.
        EXPECT_EQ(rig.Entry(a, ch).state, ch == 0 ? PollState::Unknown : PollState::Complete) << a;
        EXPECT_EQ(rig.Entry(a, ch).missCount, 0) << a;
    }
    EXPECT_NE(rig.station.statusText().find("| Порт недоступен, повторяем попытки раз в секунду"),
              std::string::npos)
        << rig.station.statusText();

    // The failed cycle's end: nothing to say, and the next go-ahead for the port's return.
    rig.Reply({});
    EXPECT_EQ(rig.Lines().size(), linesBefore + 1);
    EXPECT_TRUE(rig.station.busLink().eStart().IsSet());

    rig.PortNote(BusNote::PortOpened, "COM1");
    EXPECT_EQ(rig.LastLine(), BACK_LINE);
    EXPECT_EQ(rig.Lines().size(), linesBefore + 2);
    EXPECT_NE(rig.station.statusText().find("| Опрос идет |"), std::string::npos);
    EXPECT_EQ(rig.Count(LOST_LINE), 1u);
}

TEST(StationLink, TheFirstOpeningIsSilentAndARefusalIsSaidWithItsReason) {
    StationRig rig;
    rig.station.Start(nullptr);
    EXPECT_NE(rig.station.statusText().find("COM1: MODBUS-ASCII 7N2, 9600 бод | Порт открывается |"),
              std::string::npos)
        << rig.station.statusText();
    const std::size_t lines = rig.Lines().size();
    rig.PortNote(BusNote::PortOpened, "COM1");
    EXPECT_EQ(rig.Lines().size(), lines) << "opening as expected is not news";

    rig.station.OnCommand(ID_PORT_FIRST + 1);
    rig.PortNote(BusNote::PortRefused, "COM4", {PortErrorKind::NoPermission, "Permission denied"});
    EXPECT_EQ(
        rig.LastLine(),
        "Порт COM4 не открывается: нет прав доступа (Permission denied). Повторяем попытки раз в секунду");
    EXPECT_NE(rig.station.statusText().find("COM4: "), std::string::npos);
    EXPECT_NE(rig.station.statusText().find("Порт недоступен"), std::string::npos);

    // Back while polling is stopped: the line says polling does not go on by itself.
    rig.station.OnCommand(ID_MENU_START_STOP);
    rig.PortNote(BusNote::PortOpened, "COM4");
    EXPECT_EQ(rig.LastLine(), "Порт COM4 снова доступен, опрос остановлен оператором");
    EXPECT_NE(rig.station.statusText().find("| Опрос остановлен оператором |"), std::string::npos);
}

TEST(StationLink, CountersFollowTheRepliesAndStartAfreshWhenThePortOpens) {
    LinkRig rig;
    const int statusesBefore = rig.listener.statuses;
    const std::vector<int> measure{15, 0x42, 0x05, 0xDC, 0x07, 0xD0, 0x00, 0x64, 0x01, 0xF4, 0x01};
    for (int i = 0; i < 7; ++i)
        rig.ReplyRtu(measure);
    rig.Reply({15, 0x42});                   // no reply
    rig.Reply({15, 0x42, 0x00, 0x00, 0x00}); // checksum wrong
    for (int tick = 0; tick < TIMER_TICKS_PER_SECOND; ++tick)
        rig.station.OnTimer();
    EXPECT_EQ(rig.station.link().repliesPerSecond, 7);
    EXPECT_EQ(rig.station.link().misses, 1);
    EXPECT_EQ(rig.station.link().badReplies, 1);
    EXPECT_NE(rig.station.statusText().find("| Ответов/с: 7 | Пропусков: 1, ошибок КС: 1"), std::string::npos)
        << rig.station.statusText();
    // Ten ticks, two refreshes of the counters; the listener hears only of a changed text.
    EXPECT_LE(rig.listener.statuses - statusesBefore, TIMER_TICKS_PER_SECOND / STATUS_REFRESH_TICKS);
    EXPECT_GE(rig.listener.statuses - statusesBefore, 1);

    // A quiet second: no replies in it.
    for (int tick = 0; tick < TIMER_TICKS_PER_SECOND; ++tick)
        rig.station.OnTimer();
    EXPECT_EQ(rig.station.link().repliesPerSecond, 0);

    rig.PortNote(BusNote::PortLost, "COM1", IO_ERROR);
    rig.PortNote(BusNote::PortOpened, "COM1");
    EXPECT_EQ(rig.station.link().misses, 0);
    EXPECT_EQ(rig.station.link().badReplies, 0);
}

TEST(StationLink, TheStatusLineIsRefreshedAtMostTwiceASecondByTheTimer) {
    LinkRig rig;
    const int before = rig.listener.statuses;
    for (int tick = 0; tick < 3 * TIMER_TICKS_PER_SECOND; ++tick) {
        rig.Reply({15, 0x42}); // every tick a miss: the counter's text changes all the time
        rig.station.OnTimer();
    }
    EXPECT_EQ(rig.listener.statuses - before, 3 * TIMER_TICKS_PER_SECOND / STATUS_REFRESH_TICKS);
}

TEST(StationLink, NewPortsAreAppendedAndTheListedOnesKeepTheirIds) {
    StationRig rig({"COM1", "COM4"});
    rig.station.Start(nullptr);
    rig.station.PortsFound({"COM4", "/dev/ttyUSB0", "COM1", "", "/dev/ttyUSB0", "COM2"});
    EXPECT_EQ(rig.station.portList(), (Strings{"COM1", "COM4", "/dev/ttyUSB0", "COM2"}));
    {
        std::lock_guard<BusLock> hold(rig.station.busLink().shared().lock);
        EXPECT_EQ(rig.station.busLink().shared().portList, rig.station.portList())
            << "the bus thread's list follows";
    }
    const auto& items = rig.station.menu().popups()[POPUP_PORT].items;
    std::vector<std::pair<int, std::string>> ports;
    for (const MenuItem& item : items) {
        if (item.id >= ID_PORT_FIRST && item.id < ID_PORT_FIRST + MAX_PORT_ITEMS)
            ports.emplace_back(item.id, item.text);
    }
    EXPECT_EQ(
        ports,
        (std::vector<std::pair<int, std::string>>{
            {1000, "Порт COM1"}, {1001, "Порт COM4"}, {1002, "Порт /dev/ttyUSB0"}, {1003, "Порт COM2"}}));
    EXPECT_EQ(rig.Count("Найден новый com-порт: /dev/ttyUSB0"), 1u);
    EXPECT_TRUE(rig.station.menu().Checked(ID_PORT_FIRST)) << "the port in use stays chosen";

    rig.station.OnCommand(1002);
    EXPECT_EQ(rig.station.busLink().state().portIndex.load(), 2);
    EXPECT_TRUE(rig.station.busLink().state().reopenRequested.load());
    EXPECT_EQ(rig.LastLine(), "Смена активного порта на: /dev/ttyUSB0");
}

TEST(StationLink, NoMorePortsThanTheMenuHasIdsFor) {
    std::vector<std::string> many;
    for (int i = 0; i < MAX_PORT_ITEMS - 2; ++i)
        many.push_back("/dev/p" + std::to_string(i));
    StationRig rig(many);
    rig.station.Start(nullptr);
    rig.station.PortsFound({"/dev/new1", "/dev/new2", "/dev/new3"});
    EXPECT_EQ(rig.station.portList().size(), static_cast<std::size_t>(MAX_PORT_ITEMS));
    EXPECT_EQ(rig.station.portList().back(), "/dev/new2");
    EXPECT_EQ(rig.station.menu().Find(ID_PORT_FIRST + MAX_PORT_ITEMS), nullptr);
}

// Plays the bus thread's part for `cycles` cycles: choose the request as it would, and let the
// supply answer every one with an exception carrying `code`.
std::size_t MostCommandsQueued(StationRig& rig, int cycles, int code) {
    PollCursor cursor;
    std::size_t most = 0;
    for (int i = 0; i < cycles; ++i) {
        RequestChoice choice;
        {
            std::lock_guard<BusLock> hold(rig.station.busLink().shared().lock);
            auto& q = rig.station.busLink().shared().requestQueue;
            most = std::max(most, q.size());
            choice = ChooseRequest(rig.station.busLink().shared().pollList, q, cursor, false);
        }
        if (choice.request.size() >= 2)
            rig.ReplyRtu({choice.request[0], choice.request[1] | EXCEPTION_FLAG, code});
        std::lock_guard<BusLock> hold(rig.station.busLink().shared().lock);
        EndOfCycle(rig.station.busLink().shared().pollList, cursor);
    }
    return most;
}

TEST(StationLink, ASupplyThatAnswersEverythingWithExceptionFiveNeverFillsTheQueue) {
    StationRig rig;
    StoredSettings s;
    s.protocol = "RTU";
    rig.station.Start(&s);
    rig.SetEntryState(15, 0, PollState::Complete);
    EXPECT_EQ(MostCommandsQueued(rig, 5000, 5), 1u);
    std::lock_guard<BusLock> hold(rig.station.busLink().shared().lock);
    EXPECT_LE(rig.station.busLink().shared().requestQueue.size(), 1u);
}

TEST(StationLink, OneReidentificationPerSupplyWaits) {
    StationRig rig;
    StoredSettings s;
    s.protocol = "RTU";
    s.tabSections = {{"#15", 15, 0}, {"#9", 9, 0}};
    rig.station.Start(&s);
    // A module change is on the bus when the supply refuses a poll.
    const std::vector<int> change{15, FC_EXTENDED, 0x81};
    EnqueueCommand(rig.station.busLink().shared(), change, EffectsOf(change));
    rig.ReplyRtu({15, 0xC2, 0x05});
    rig.ReplyRtu({15, FC_EXTENDED}); // its acknowledgement on top: still the one identification
    rig.ReplyRtu({15, 0xC2, 0x05});
    rig.ReplyRtu({9, 0xC2, 0x05}); // another supply has its own
    EXPECT_EQ(rig.Queue(), (test::Commands{{15, FC_IDENTIFY, 1}, {9, FC_IDENTIFY, 1}}));
    // Once it has been sent and dropped, the next exception queues it again.
    {
        std::lock_guard<BusLock> hold(rig.station.busLink().shared().lock);
        RemoveHeadCommand(rig.station.busLink().shared().requestQueue);
    }
    rig.ReplyRtu({15, 0xC2, 0x05});
    EXPECT_EQ(rig.Queue(), (test::Commands{{9, FC_IDENTIFY, 1}, {15, FC_IDENTIFY, 1}}));
}

TEST(StationLink, ASupplyWithoutModulesComesBackAfterItWasGone) {
    // It said "no modules" (exception 1 to FC_MODULES) once; after it has gone it is asked
    // again, since a supply without modules comes online only with that answer.
    const std::vector<int> identify{15,   0x41, 0x02, 0x0F, 0x3C, 0x05, 0xDC,
                                    0x00, 0x05, 0xDC, 0x03, 0xE8, 0x00};
    const std::vector<int> measure{15, 0x42, 0x05, 0xDC, 0x07, 0xD0, 0x00, 0x64, 0x01, 0xF4, 0x01};
    for (const bool portLost : {false, true}) {
        StationRig rig;
        StoredSettings s;
        s.protocol = "RTU";
        rig.station.Start(&s);
        DevicePage& page = *rig.station.FindPage(15, 0);
        rig.ReplyRtu(identify);
        rig.ReplyRtu({15, FC_MODULES | EXCEPTION_FLAG, 0x01});
        rig.ReplyRtu(measure);
        ASSERT_TRUE(page.state.online);
        ASSERT_FALSE(rig.Entry(15, 0).moduleDataAllowed);
        if (portLost) {
            rig.PortNote(BusNote::PortLost, "COM1", IO_ERROR);
        } else {
            for (int i = 0; i < MISSES_TO_DISCONNECT; ++i)
                rig.Reply({15, 0x42});
        }
        ASSERT_FALSE(page.state.online);
        EXPECT_TRUE(rig.Entry(15, 0).moduleDataAllowed) << portLost;
        rig.ReplyRtu(identify);
        rig.ReplyRtu(measure);
        rig.ReplyRtu({15, FC_MODULES | EXCEPTION_FLAG, 0x01});
        rig.ReplyRtu(measure);
        EXPECT_TRUE(page.state.online) << portLost;
    }
}

TEST(HasQueuedCommand, FindsCommandsByTheirOwnStart) {
    RequestQueue q;
    for (const std::vector<int>& c : {std::vector<int>{15, FC_CONTROL, 1}, {9, FC_IDENTIFY, 2}, {7}})
        ASSERT_TRUE(AppendCommand(q, c));
    EXPECT_TRUE(HasQueuedCommand(q, 15, FC_CONTROL));
    EXPECT_TRUE(HasQueuedCommand(q, 9, FC_IDENTIFY));
    EXPECT_FALSE(HasQueuedCommand(q, 1, FC_CONTROL)) << "values inside a command are not its start";
    EXPECT_FALSE(HasQueuedCommand(q, 7, FC_IDENTIFY)) << "a one-value command has no function";
    EXPECT_FALSE(HasQueuedCommand({}, 15, FC_IDENTIFY));
}

} // namespace
} // namespace rir

namespace rir {
namespace {

// "Сетевой порт...": a refused entry is said and asked again with what was typed; a good one is
// listed once and switched to; the settings bring the gateway back although nothing discovers it.
TEST(StationLink, AGatewayTypedInIsListedOnceSwitchedToAndRestoredFromTheSettings) {
    StationRig rig({"COM1"});
    rig.station.Start(nullptr);
    rig.prompts.networkPorts = {NetworkPortFields{"127.0.0.1", "99999"},
                                NetworkPortFields{"127.0.0.1", "4001"}};
    rig.station.OnCommand(ID_MENU_NETWORK_PORT);
    EXPECT_EQ(rig.prompts.messages, (Strings{"Номер порта должен быть целым числом от 1 до 65535"}));
    ASSERT_EQ(rig.prompts.networkPortsProposed.size(), 2u);
    EXPECT_EQ(rig.prompts.networkPortsProposed[1].port, "99999") << "asked again with what was typed";
    EXPECT_EQ(rig.station.portList(), (Strings{"COM1", "tcp://127.0.0.1:4001"}));
    EXPECT_EQ(rig.station.busLink().state().portIndex.load(), 1);
    EXPECT_TRUE(rig.station.menu().Checked(ID_PORT_FIRST + 1));
    EXPECT_EQ(rig.LastLine(), "Смена активного порта на: tcp://127.0.0.1:4001");

    rig.prompts.networkPorts = {NetworkPortFields{"127.0.0.1", "4001"}};
    rig.station.OnCommand(ID_MENU_NETWORK_PORT);
    EXPECT_EQ(rig.prompts.networkPortsProposed.back().host, "127.0.0.1") << "the gateway in use is proposed";
    EXPECT_EQ(rig.station.portList().size(), 2u) << "listed once";

    StationRig restarted({"COM1"});
    StoredSettings s;
    s.port = "tcp://127.0.0.1:4001";
    restarted.station.Start(&s);
    EXPECT_EQ(restarted.station.portList(), (Strings{"COM1", "tcp://127.0.0.1:4001"}));
    EXPECT_EQ(restarted.station.busLink().state().portIndex.load(), 1);

    StationRig noSerial(Strings{});
    EXPECT_TRUE(noSerial.station.Start(&s)) << "a gateway alone is a bus to poll";
    EXPECT_TRUE(noSerial.prompts.messages.empty());
}

} // namespace
} // namespace rir
