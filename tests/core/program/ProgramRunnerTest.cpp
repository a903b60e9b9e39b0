// A loaded program run on its page: what goes to the supply at start, second by second, at a
// pause, a continue, a cancel and the end; the plan kept ahead in the ring; the buttons.
#include "program/ProgramRunner.h"

#include "PageCommandsRig.h"
#include "ProgramRig.h"
#include "device/PageControls.h"

#include <gtest/gtest.h>

#include <map>

namespace rir {
namespace {

using namespace std::chrono_literals;
using test::Requests;

const StampTime T0 = StampTime(std::chrono::hours(24 * 365 * 50));

// A model-2 supply #15 online (39 V, 15 A at scale 100; limits 15 V and 10 A) with a program
// taken from `csv`; the requests of the load itself are forgotten.
struct RunRig {
    DevicePage page;
    test::RecordingSink sink;
    RepaintCounter counter;
    StampTime now = T0;

    explicit RunRig(std::string_view csv, int address = 15) {
        test::Online(page, address, 0, 2, CONFIG_TIMER_COUNTER);
        page.stampClock = [this] { return now; };
        page.repaints = &counter;
        const ProgramLoad load = programrig::Load(csv, ProgramLimitsOf(page.state));
        EXPECT_TRUE(load.loaded);
        TakeProgram(page, load, "prog.csv", sink);
        sink.queued.clear();
    }
    // The supply takes the last request and reports it back, as its next replies would.
    void Confirm() {
        ASSERT_FALSE(sink.queued.empty());
        const Request& r = sink.queued.back();
        ASSERT_EQ(r.size(), 7u);
        const int flags = r[2];
        if ((flags & TAKE_VOLT_LIMIT) != 0)
            page.state.voltLimit = r[3] * 256 + r[4];
        if ((flags & TAKE_CURR_LIMIT) != 0)
            page.state.currLimit = r[5] * 256 + r[6];
        if ((flags & TAKE_OUTPUT) != 0)
            page.state.outputOn = (flags & OUTPUT_ON) != 0;
    }
    void Press(int id) { ASSERT_TRUE(RunProgramButton(page, id, sink)); }
    TickOutcome Tick() {
        now += 1s;
        return page.OnTick(sink);
    }
    // Runs the program with a supply that takes every request at once: the requests by the
    // elapsed second they were sent at (0: the start), until the end or `limit` ticks.
    std::map<int, Requests> Run(int limit = 100000) {
        std::map<int, Requests> sent;
        auto take = [&](int second) {
            if (sink.queued.empty())
                return;
            sent[second] = sink.queued;
            Confirm();
            sink.queued.clear();
        };
        take(page.chart.elapsedSeconds);
        for (int i = 0; i < limit && page.ticking(); ++i) {
            const TickOutcome outcome = Tick();
            take(page.chart.elapsedSeconds);
            if (outcome == TickOutcome::ProgramEnded)
                break;
        }
        return sent;
    }
};

// [15] 0x43 flags, voltage, current: the write-output request.
Request Write(int flags, int volt, int curr) {
    return {15, 0x43, flags, volt / 256, volt % 256, curr / 256, curr % 256};
}
constexpr int PLAN_ON = 0x0F;
constexpr int PLAN_OFF = 0x0E;
constexpr int OFF = 0x08;

TEST(ProgramRun, StartSendsTheFirstStepThenOnlyWhatTheSupplyHasNotTaken) {
    RunRig r("0;1;12;1\r\n60;1;12;0\r\n");
    r.Press(IDC_PROGRAM_START);
    EXPECT_EQ(r.sink.queued, Requests{Write(PLAN_ON, 1200, 100)});
    EXPECT_TRUE(r.page.ticking());
    EXPECT_EQ(r.page.state.firstSampleCountdown, FIRST_SAMPLE_REFRESHES);

    // Not yet confirmed: the second goes again on the next tick.
    r.sink.queued.clear();
    EXPECT_EQ(r.Tick(), TickOutcome::Ticked);
    EXPECT_EQ(r.sink.queued, Requests{Write(PLAN_ON, 1200, 100)});
    r.Confirm();
    r.sink.queued.clear();
    for (int second = 2; second < 60; ++second) {
        ASSERT_EQ(r.Tick(), TickOutcome::Ticked) << second;
        ASSERT_TRUE(r.sink.queued.empty()) << "second " << second << ": the supply already has it";
    }
    EXPECT_EQ(r.Tick(), TickOutcome::ProgramEnded);
    EXPECT_EQ(r.sink.queued, Requests{Write(PLAN_OFF, 1200, 100)});
    EXPECT_EQ(r.page.ProgramEndMessage(), "#15 - Работа по файлу закончена!");
    EXPECT_FALSE(r.page.ticking());
    EXPECT_FALSE(r.page.programStarted());
    EXPECT_TRUE(r.page.programLoaded()) << "an ended program can be started again";
}

TEST(ProgramRun, EndWithTheOutputOnSaysTheSupplyStaysOn) {
    RunRig r("0;1;12;1\r\n60;2;13;1\r\n", 7);
    r.Press(IDC_PROGRAM_START);
    const auto sent = r.Run();
    EXPECT_EQ(sent.size(), 2u);
    const Requests last{{7, 0x43, PLAN_ON, 1300 / 256, 1300 % 256, 0, 200}};
    EXPECT_EQ(sent.at(60), last);
    EXPECT_EQ(r.page.ProgramEndMessage(), "#7 - Работа по файлу закончена!\nБлок остается включенным!");
    EXPECT_TRUE(r.page.state.outputOn) << "the runner does not switch the supply off at the end";
}

TEST(ProgramRun, PauseSwitchesOffAndContinueResumesAtTheSameSecond) {
    RunRig r("0;1;12;1\r\n60;1;12;0\r\n");
    r.Press(IDC_PROGRAM_START);
    r.Confirm();
    r.sink.queued.clear();
    for (int second = 1; second <= 30; ++second)
        r.Tick();
    r.Press(IDC_PROGRAM_PAUSE);
    EXPECT_EQ(r.sink.queued, Requests{Write(OFF, 1200, 100)});
    EXPECT_FALSE(r.page.ticking());
    EXPECT_EQ(r.page.view.text(IDC_PROGRAM_START), "Продолжить");
    r.Confirm();
    r.sink.queued.clear();

    r.Press(IDC_PROGRAM_START);
    EXPECT_EQ(r.sink.queued, Requests{Write(PLAN_ON, 1200, 100)}) << "the plan of second 30 again";
    EXPECT_EQ(r.page.chart.elapsedSeconds, 30);
    EXPECT_EQ(r.page.view.text(IDC_PROGRAM_START), "Старт");
    const auto sent = r.Run();
    EXPECT_EQ(r.page.chart.elapsedSeconds, 60) << "the paused time is not counted";
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent.begin()->first, 30);
    EXPECT_EQ(sent.at(60), Requests{Write(PLAN_OFF, 1200, 100)});
}

TEST(ProgramRun, PauseBeforeTheSupplyReportedTheSwitchOnStillSwitchesItOff) {
    RunRig r("0;1;12;1\r\n60;1;12;0\r\n");
    r.Press(IDC_PROGRAM_START);
    r.sink.queued.clear();
    ASSERT_FALSE(r.page.state.outputOn);
    r.Press(IDC_PROGRAM_PAUSE);
    EXPECT_EQ(r.sink.queued, Requests{Write(OFF, 1500, 1000)}) << "the switch-on may still be on its way";
}

TEST(ProgramRun, ALongProgramIsKeptAMinuteAheadInTheRing) {
    RunRig r("0;1;12;1\r\n180;2;12;1\r\n240;3;12;1\r\n299;3;12;0\r\n");
    r.Press(IDC_PROGRAM_START);
    r.Confirm();
    r.sink.queued.clear();
    auto tickTo = [&](int clock) {
        while (r.page.chart.chartClock < clock) {
            r.Tick();
            if (!r.sink.queued.empty()) {
                r.Confirm();
                r.sink.queued.clear();
            }
        }
    };
    tickTo(119);
    EXPECT_EQ(r.page.secondsRing[0].time, 0);
    tickTo(120);
    for (int k : {0, 59}) {
        EXPECT_EQ(r.page.secondsRing[k].time, 180 + k);
        EXPECT_EQ(r.page.secondsRing[k].currLimit, 200);
    }
    EXPECT_EQ(r.page.secondsRing[60].time, 60) << "what was recorded a minute ago stays";
    tickTo(179);
    EXPECT_EQ(r.page.secondsRing[60].time, 60);
    tickTo(180);
    EXPECT_EQ(r.page.secondsRing[60].time, 240);
    EXPECT_EQ(r.page.secondsRing[60].currLimit, 300);
    EXPECT_EQ(r.page.secondsRing[118].currLimit, 300);
    EXPECT_EQ(r.page.secondsRing[119].time, 299);
    EXPECT_EQ(r.page.secondsRing[119].output, 0);
}

TEST(ProgramRun, EverySecondOfALongProgramIsSentWhenItsPlanChanges) {
    RunRig r("0;1;12;1\r\n180;2;12;1\r\n240;3;12;1\r\n299;3;12;0\r\n");
    r.Press(IDC_PROGRAM_START);
    const auto sent = r.Run();
    std::map<int, Requests> expected{{0, {Write(PLAN_ON, 1200, 100)}},
                                     {180, {Write(PLAN_ON, 1200, 200)}},
                                     {240, {Write(PLAN_ON, 1200, 300)}},
                                     {299, {Write(PLAN_OFF, 1200, 300)}}};
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(r.page.chart.elapsedSeconds, 299);
    EXPECT_FALSE(r.page.ticking());
}

TEST(ProgramRun, StartAfterTheEndRunsThePlanAgainFromTheFirstSecond) {
    RunRig r("0;1;12;1\r\n60;1;12;0\r\n");
    r.Press(IDC_PROGRAM_START);
    r.Run();
    ASSERT_FALSE(r.page.programStarted());
    r.page.secondsRing[0].currLimit = 999; // what the run wrote over stands until the rebuild
    r.Press(IDC_PROGRAM_START);
    EXPECT_EQ(r.page.chart.elapsedSeconds, 0);
    EXPECT_EQ(r.page.chart.chartClock, 0);
    EXPECT_EQ(r.page.chart.cursor, 0);
    EXPECT_EQ(r.page.secondsRing[0].currLimit, 100);
    EXPECT_EQ(r.page.secondsRing.size(), 61u);
    EXPECT_TRUE(r.page.takeChartInvalidated());
    const auto sent = r.Run();
    EXPECT_EQ(sent.at(0), Requests{Write(PLAN_ON, 1200, 100)});
    EXPECT_EQ(sent.at(60), Requests{Write(PLAN_OFF, 1200, 100)});
}

TEST(ProgramRun, AProgramOfOneStepEndsAfterItsFirstTick) {
    RunRig r("5;1;12;1\r\n");
    r.Press(IDC_PROGRAM_START);
    r.Confirm();
    EXPECT_EQ(r.Tick(), TickOutcome::ProgramEnded);
    EXPECT_EQ(r.page.ProgramEndMessage(), "#15 - Работа по файлу закончена!\nБлок остается включенным!");
}

TEST(ProgramRun, CancelSwitchesOffAndLeavesThePageWithoutAProgram) {
    RunRig r("0;1;12;1\r\n60;1;12;0\r\n");
    r.Press(IDC_PROGRAM_START);
    r.Confirm();
    r.Tick();
    r.Press(IDC_PROGRAM_PAUSE);
    r.Confirm();
    r.sink.queued.clear();
    r.page.chart.splitView = true;
    r.page.chart.secondsStep = 2;
    r.Press(IDC_PROGRAM_CANCEL);
    EXPECT_TRUE(r.sink.queued.empty()) << "already off";
    EXPECT_FALSE(r.page.programLoaded());
    EXPECT_FALSE(r.page.programStarted());
    EXPECT_FALSE(r.page.programPaused());
    EXPECT_TRUE(r.page.secondsRing.empty());
    EXPECT_TRUE(r.page.minutesList.empty());
    EXPECT_EQ(r.page.chart.cursor, CURSOR_NONE);
    EXPECT_EQ(r.page.chart.elapsedSeconds, 0);
    EXPECT_EQ(r.page.chart.secondsStep, 1);
    EXPECT_FALSE(r.page.chart.splitView);
    EXPECT_EQ(r.page.view.text(IDC_PROGRAM_CAPTION), "Протокол работы:");

    // A loaded program that never ran: cancel switches a supply that is on off.
    RunRig loaded("0;1;12;1\r\n");
    loaded.page.state.outputOn = true;
    loaded.Press(IDC_PROGRAM_CANCEL);
    EXPECT_EQ(loaded.sink.queued, Requests{Write(OFF, 1500, 1000)});
}

TEST(ProgramRun, ButtonsFollowTheRunnersState) {
    struct Row {
        const char* situation;
        bool start, pause, cancel;
        const char* startText;
        bool open, limits, output, menuOpen;
    };
    auto check = [](const DevicePage& page, const Row& row) {
        SCOPED_TRACE(row.situation);
        const ViewState& v = page.view;
        EXPECT_EQ(v.enabled(IDC_PROGRAM_START), row.start);
        EXPECT_EQ(v.enabled(IDC_PROGRAM_PAUSE), row.pause);
        EXPECT_EQ(v.enabled(IDC_PROGRAM_CANCEL), row.cancel);
        EXPECT_EQ(v.text(IDC_PROGRAM_START), row.startText);
        EXPECT_EQ(v.enabled(IDC_OPEN_PROGRAM), row.open);
        for (int id : {IDC_VOLT_EDIT, IDC_CURR_EDIT, IDC_SET_LIMITS})
            EXPECT_EQ(v.enabled(id), row.limits) << id;
        EXPECT_EQ(v.enabled(IDC_OUTPUT_BUTTON), row.output);
        EXPECT_EQ(v.menuEnabled(ID_MENU_FILE_OPEN), row.menuOpen);
        if (page.state.online) {
            EXPECT_TRUE(v.shown(IDC_READOUT_LIMITS) && v.shown(IDC_READOUT_VALUES)) << "the readouts show";
        }
    };
    // The supply reports what it was last sent, and its page shows it.
    auto confirm = [](RunRig& r) {
        r.Confirm();
        r.page.UpdateControls();
    };
    RunRig r("0;1;12;1\r\n60;1;12;0\r\n");
    check(r.page, {"loaded", true, false, true, "Старт", false, false, false, false});
    r.Press(IDC_PROGRAM_START);
    check(r.page,
          {"running, the output not yet on", false, true, false, "Старт", false, false, false, false});
    confirm(r);
    check(r.page, {"running, the output on", false, true, false, "Старт", false, false, true, false});
    r.Press(IDC_PROGRAM_PAUSE);
    check(r.page, {"paused", true, false, true, "Продолжить", false, false, true, false});
    confirm(r);
    check(r.page, {"paused, the output off", true, false, true, "Продолжить", false, false, false, false});
    r.Press(IDC_PROGRAM_START);
    r.Run();
    r.page.UpdateControls();
    check(r.page, {"ended, the output off", true, false, true, "Старт", false, false, false, false});

    RunRig on("0;1;12;1\r\n60;1;12;1\r\n");
    on.Press(IDC_PROGRAM_START);
    on.Run();
    on.page.UpdateControls();
    check(on.page, {"ended, the supply left on", true, false, true, "Старт", false, false, true, false});

    // The supply gone: the program can still be held and given up, not started, and the
    // output switched off.
    for (const bool paused : {false, true}) {
        RunRig off("0;1;12;1\r\n60;1;12;0\r\n");
        off.Press(IDC_PROGRAM_START);
        if (paused)
            off.Press(IDC_PROGRAM_PAUSE);
        off.page.state.online = false;
        off.page.UpdateControls();
        check(off.page, {paused ? "offline, paused" : "offline, running", false, !paused, paused,
                         paused ? "Продолжить" : "Старт", false, false, true, false});
    }

    // A click on a disabled button never reaches the runner.
    r.Press(IDC_PROGRAM_START);
    r.sink.queued.clear();
    EXPECT_EQ(r.page.OnCommand(IDC_PROGRAM_CANCEL, r.sink), PageCommandResult::Ignored);
    EXPECT_EQ(r.page.OnCommand(IDC_PROGRAM_PAUSE, r.sink), PageCommandResult::RunProgram);
    EXPECT_EQ(r.page.OnCommand(IDC_OPEN_PROGRAM, r.sink), PageCommandResult::Ignored);
}

// "Выключить" while the supply does not answer: the page does not know the output, so the
// switch-off is queued whatever the page last showed, and a running program pauses.
TEST(ProgramRun, SwitchingOffWhileTheSupplyDoesNotAnswer) {
    const struct {
        const char* situation;
        bool load, start, pause, outputWasOn;
        bool pausedAfter;
    } cases[] = {
        {"no program, the output was on", false, false, false, true, false},
        {"no program, the output was off", false, false, false, false, false},
        {"program loaded, not started", true, false, false, false, false},
        {"program running", true, true, false, true, true},
        {"program paused", true, true, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        RunRig r("0;1;12;1\r\n60;1;12;1\r\n");
        if (!c.load)
            CancelProgram(r.page, r.sink);
        if (c.start)
            r.Press(IDC_PROGRAM_START);
        if (c.pause)
            r.Press(IDC_PROGRAM_PAUSE);
        r.page.state.outputOn = c.outputWasOn;
        r.page.UpdateControls();
        r.sink.queued.clear();
        // Five misses: the station marks the page offline.
        r.page.state.online = false;
        r.page.UpdateControls();
        EXPECT_TRUE(r.page.view.enabled(IDC_OUTPUT_BUTTON));
        EXPECT_EQ(r.page.view.text(IDC_OUTPUT_BUTTON), "Выключить");
        const PageCommandResult result = r.page.OnCommand(IDC_OUTPUT_BUTTON, r.sink);
        if (result == PageCommandResult::RunProgram)
            r.Press(IDC_OUTPUT_BUTTON);
        EXPECT_EQ(r.sink.queued, Requests{Write(OFF, 0, 0)}) << "one switch-off, the limits not taken";
        EXPECT_EQ(r.page.programPaused(), c.pausedAfter);
        EXPECT_EQ(r.page.ticking(), false);
        EXPECT_FALSE(r.page.recording()) << "switching off starts no recording";
    }
    // A supply never identified has no model to be addressed by.
    DevicePage unknown;
    unknown.InitDevice(15, 0);
    EXPECT_FALSE(unknown.view.enabled(IDC_OUTPUT_BUTTON));
}

TEST(ProgramRun, NothingHappensWithoutAProgram) {
    DevicePage page;
    test::Online(page, 15, 0, 2, CONFIG_TIMER_COUNTER);
    test::RecordingSink sink;
    for (int id : {IDC_PROGRAM_START, IDC_PROGRAM_PAUSE, IDC_PROGRAM_CANCEL}) {
        EXPECT_TRUE(RunProgramButton(page, id, sink));
        EXPECT_EQ(page.OnCommand(id, sink), PageCommandResult::Ignored);
    }
    EXPECT_FALSE(RunProgramButton(page, IDC_SET_LIMITS, sink));
    EXPECT_TRUE(sink.queued.empty());
    EXPECT_FALSE(page.ticking());
    EXPECT_EQ(page.OnCommand(IDC_OPEN_PROGRAM, sink), PageCommandResult::OpenProgram);
}

TEST(ProgramLoad, TakingAProgramStopsARecordingAndShowsTheFile) {
    DevicePage page;
    test::Online(page, 15, 0, 2, CONFIG_TIMER_COUNTER);
    test::RecordingSink sink;
    page.ToggleOutput(sink); // on by hand: a recording
    page.state.outputOn = true;
    ASSERT_TRUE(page.recording());
    sink.queued.clear();
    const ProgramLoad load = programrig::Load("#Анодирование;;;\r\nВремя;Ток;Напряжение;Вкл\r\n"
                                              "Ur=0,Ul=1,Ir=0,Il=1,Po=1;;;\r\n0;1,5;12;1\r\n90;2;20;1\r\n",
                                              ProgramLimitsOf(page.state));
    TakeProgram(page, load, "anod.csv", sink);
    EXPECT_EQ(sink.queued, Requests{Write(OFF, 1500, 1000)}) << "the output goes off until the start";
    EXPECT_FALSE(page.recording());
    EXPECT_FALSE(page.ticking());
    EXPECT_TRUE(page.programLoaded());
    EXPECT_EQ(page.view.text(IDC_PROGRAM_CAPTION), "Файл-задача: anod.csv # Анодирование");
    EXPECT_FALSE(page.series.voltMeas);
    EXPECT_FALSE(page.view.checked(IDC_SERIES_VOLT));
    EXPECT_TRUE(page.view.checked(IDC_SERIES_VOLT_LIMIT));
    EXPECT_EQ(page.chart.voltLimitMax, 2000);
    EXPECT_EQ(page.chart.currLimitMax, 200);
    EXPECT_EQ(page.chart.programDuration, 90);
    ASSERT_EQ(page.secondsRing.size(), 91u);
    EXPECT_EQ(page.secondsRing[89].currLimit, 150);
    EXPECT_EQ(page.secondsRing[90].voltLimit, 2000);
    EXPECT_EQ(page.minutesList.size(), 2u);
    EXPECT_EQ(page.chart.elapsedSeconds, 0);
    EXPECT_EQ(page.chart.cursor, 0) << "the readouts show the first second of the plan";
    EXPECT_TRUE(page.takeChartInvalidated());
}

TEST(ProgramRun, CancelGivesBackTheProgramsMemory) {
    std::string csv;
    for (int t = 0; t < 20000; ++t)
        csv += std::to_string(t) + ";1;12;1\r\n";
    RunRig rig(csv);
    ASSERT_EQ(rig.page.programSteps().size(), 20000u);
    rig.Press(IDC_PROGRAM_CANCEL);
    EXPECT_EQ(rig.page.programSteps().capacity(), 0u);
    EXPECT_EQ(rig.page.secondsRing.capacity(), 0u);
    EXPECT_EQ(rig.page.minutesList.capacity(), 0u);
}

} // namespace
} // namespace rir
