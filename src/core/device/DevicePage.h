// The logic of one device page: turns the supply's record into the page's texts, fonts, colours
// and control states, kept in a ViewState that the Qt page copies onto its widgets.
#pragma once

#include "bus/PollList.h"
#include "chart/ChartPointer.h"
#include "chart/ChartSample.h"
#include "chart/ChartScene.h"
#include "chart/ChartState.h"
#include "chart/DrawChart.h"
#include "chart/SeriesSwitches.h"
#include "device/DeviceState.h"
#include "device/EditKeys.h"
#include "device/LimitText.h"
#include "device/PageCommands.h"
#include "device/Payloads.h"
#include "device/Requests.h"
#include "device/TickSchedule.h"
#include "view/ViewState.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rir {

// What a reply changed, and so what the page's refresh rewrites.
enum class RefreshCode {
    Values,   // identity, limits and measurements
    Modules,  // module values
    Layout,   // module configuration: which module lines the page shows
    WriteAck, // a limit or output write was acknowledged
};

// What a page's one-second tick leaves for the station to do.
enum class TickOutcome {
    Ticked,
    ProgramEnded, // the station shows ProgramEndMessage(); the supply keeps the last step
};

// Where the page's run stands: one value, changed only by the page's own operations.
enum class PageRun {
    Idle,      // neither a recording nor a program: the chart is empty
    Recording, // the output was switched on by hand: every second is recorded
    Loaded,    // a program is loaded and waits for "Старт" (also once it has ended)
    Running,   // a program is carried out second by second
    Paused,    // a started program is held ("Пауза", a lost link); "Продолжить" resumes it
};

// A program's plan as its page shows it before and while it runs: the preview rendered from its
// steps into the two histories, and the time of its last step.
struct ProgramPlan {
    std::vector<ChartSample> secondsRing;
    std::vector<ChartSample> minutesList;
    int duration = 0;
};

// What the main menu's "Открыть" and "Сохранить" may do for the page, as its controls last
// showed them: load a program into a page that answers and holds none; save the journal of a
// recording. Both start as a menu item starts, enabled, until the page first shows its controls.
struct FileItems {
    bool open = true;
    bool save = true;
};

// A loaded program as its page takes it.
struct PageProgram {
    std::vector<ChartSample> steps; // in file order
    ProgramPlan plan;
    std::string caption; // "Файл-задача: prog.csv # Title"
    SeriesSwitches series;
    int voltLimitMax = 0; // the largest limits among the steps, for the chart's scales
    int currLimitMax = 0;
    // One per step: the charge that ends it, thousandths of an A·h, or none (ends by time).
    std::vector<std::optional<int>> charges{};
    // The file as a run's journal names it.
    std::string fileName{};
    std::string sha256{};
    std::optional<int> area{}; // thousandths of a dm², for a file in current density
};

// A step that ends by charge counts it in raw current units times seconds; its target is given
// in thousandths of an ampere-hour.
inline constexpr long long CHARGE_MILLI = 1000;
inline constexpr long long SECONDS_PER_HOUR_OF_CHARGE = 3600;
// A charge step whose supply reports no current cannot count it and stands still.
inline constexpr std::string_view CHARGE_NO_CURRENT_TEXT = "Шаг по заряду стоит: блок не сообщает ток";

// Timer 1 of a page, its one-second tick: it runs while the page records or runs a program.
inline constexpr int PAGE_TICK_MS = 1000;
// Readings older than this many seconds have their age shown in the caption: the chart and the
// journal take one sample a second, and a bus too busy to measure the supply that often is
// worth a word.
inline constexpr int STALE_MEASUREMENT_S = 2;
// Device replies after the start of a recording until the first sample takes the measured
// values: the first replies may still carry the values of before the switch-on.
inline constexpr int FIRST_SAMPLE_REFRESHES = 3;

class DevicePage {
public:
    // The view starts with the template's texts and states, all marked changed.
    DevicePage();

    // Binds the page to a supply's address and channel and shows it offline.
    void InitDevice(int address, int channel);
    // Rewrites the page from the record after a reply. The status byte is applied only once the
    // supply is complete (its module configuration is known).
    void RefreshView(RefreshCode code, PollState pollState);
    // Shows and enables controls for the page's online, program and recording state.
    void UpdateControls();
    bool SetTextIfChanged(int id, std::string_view text) { return view.SetTextIfChanged(id, text); }

    // The load's area as the operator typed it into IDC_AREA_EDIT (or the tab's settings gave it).
    const std::string& partAreaText() const;
    void SetPartAreaText(std::string_view text);

    // For a page that never learns a module configuration of its own (a channel-B page; a
    // supply that has no modules): take configuration 0, so that the page comes online at its
    // next applied status, with no module lines.
    void AssumeNoModules();

    // The Qt page reports what only its limit edits know: the text the user typed, whether the
    // edit has the keyboard focus and its selection. It calls this on every change, so the
    // logic always sees the present state. Ids other than the two limit edits are ignored.
    void SetEditState(int id, std::string_view text, bool hasFocus, TextSelection selection);

    // True once after the logic asked for the chart to be drawn again.
    bool takeChartInvalidated();

    // The chart (DevicePageChart.cpp). The Qt page hands in the pointer in page client
    // coordinates with the chart rectangle; everything else is decided here, when the histories,
    // the clocks or the cursor change, and never while the chart is drawn.
    // The chart as the page's state stands, drawn into a picture of width × height.
    ChartScene chartScene(int width, int height) const;
    // The picture "Сохранить график в PNG..." writes: the chart as chartScene draws it, with the
    // supply as its tab names it and the day above, and the clock times along its time axis.
    ChartScene chartPicture(int width, int height) const;
    // A picture of the chart was painted: while data is live the drawings between two samples
    // are counted, which limits the pointer's repaints; an idle chart never limits them.
    void CountChartDrawing();
    // The histories, the clocks or the cursor moved on (a tick, a load, a start, a clearing): a
    // cursor held under the pressed button follows the pointer where it last was, the split
    // view, the minutes step, the release of a held cursor and the readouts are decided anew,
    // and the chart is to be drawn again.
    void UpdateChart();
    // The pointer moved over the page (also when it left the chart rectangle).
    void OnChartPointer(int x, int y, const ChartArea& area);
    void OnChartButtonDown();
    void OnChartButtonUp();
    // A series check box was clicked; the switch is the box's own, by its id.
    void OnSeriesBox(int id, bool checked);
    // Puts the five series switches onto their check boxes.
    void ShowSeriesSwitches();
    // Handles the chart's own push button ("Очистить график"); false for any other id.
    bool OnChartCommand(int id);
    // Ends a recording with the output off and empties the chart.
    void ClearChart();

    // Operator commands (DevicePageCommands.cpp). Requests go to `sink` in the order the supply
    // is to take them.
    // A push button of the page was clicked; IDOK and IDCANCEL (Enter and Escape) are ignored.
    PageCommandResult OnCommand(int id, PageCommandSink& sink);
    // Enter in a limit edit sends that edit's limit; the key then goes on to the edit.
    PageCommandResult OnEnterKey(int editId, PageCommandSink& sink);
    // A character typed into a limit edit, before the edit takes it: what the edit is to do.
    // An accepted character marks the edit as holding unsent text.
    KeyDecision FilterEditKey(int editId, char32_t typed);
    // Text pasted or dropped into a limit edit, taken as if it were typed character by character:
    // what goes in place of the edit's selection (empty: nothing changes).
    std::string FilterEditPaste(int editId, std::u32string_view pasted);

    void SendLimits(LimitChoice which, PageCommandSink& sink);
    // Limits given as values (by the window from what the operator typed, or by the plant), sent
    // as the edits' limits are: clamped to the supply's range, both in the request, the one left
    // out as its edit holds it and not taken. At least one must be given.
    void SendLimits(std::optional<LimitAmount> volts, std::optional<LimitAmount> amps, PageCommandSink& sink);
    void ToggleOutput(PageCommandSink& sink);
    // The output off when the supply reports it on.
    void SendOutputOff(PageCommandSink& sink) const;
    // The operator's switch-off ("Выключить", a stop of the program): as SendOutputOff, and while
    // the supply does not answer in any case, since its output is not known.
    void SwitchOutputOff(PageCommandSink& sink) const;
    void RestartDoser(PageCommandSink& sink) const;
    void ConfigureModules(PageCommandSink& sink);

    // The run state (DevicePageRun.cpp).
    PageRun run() const { return run_; }
    bool recording() const { return run_ == PageRun::Recording; }
    bool programLoaded() const {
        return run_ == PageRun::Loaded || run_ == PageRun::Running || run_ == PageRun::Paused;
    }
    bool programStarted() const { return run_ == PageRun::Running || run_ == PageRun::Paused; }
    bool programRunning() const { return run_ == PageRun::Running; }
    bool programPaused() const { return run_ == PageRun::Paused; }
    // Timer 1 (PAGE_TICK_MS): the page's one-second tick runs while the page records or runs a
    // program, on tickSchedule.
    bool ticking() const { return run_ == PageRun::Recording || run_ == PageRun::Running; }
    // Counts the runs of the page, recordings and fresh program starts: a new number is a new
    // run, with a journal of its own.
    int runNumber() const { return runNumber_; }
    // What the main menu's file items may do for the page; the menu shows the same.
    const FileItems& fileItems() const { return fileItems_; }
    // The loaded program's steps in file order; empty without a program.
    const std::vector<ChartSample>& programSteps() const { return programSteps_; }

    // Steps that end by charge (DevicePageCharge.cpp): the targets, one per step (thousandths
    // of an A·h, or none), and the steps as the present run moves them.
    const std::vector<std::optional<int>>& stepCharges() const { return programCharges_; }
    const std::vector<ChartSample>& runSteps() const { return runSteps_; }
    // The charge the supply delivered over the present run as its measurements tell,
    // thousandths of an A·h (seconds without an answer are not counted).
    long long runChargeMilliAh() const;
    // The loaded program's file name, SHA-256 and area, as it was taken.
    const std::string& programFileName() const { return programFileName_; }
    const std::string& programSha256() const { return programSha256_; }
    std::optional<int> programArea() const { return programArea_; }
    // The charge counted since the present charge step began, thousandths of an A·h.
    long long stepChargeMilliAh() const;

    // The output was switched on by hand with no program loaded: the page starts a recording of
    // the supply's limits and measurements (DevicePageRecording.cpp).
    void StartRecording();
    // The page takes a loaded program (Loaded): a recording or a run ends, the histories give
    // way to the program's plan, the series switches and the caption follow the file, and the
    // readouts describe the plan's first second until the start.
    void TakeProgram(PageProgram program);
    // A fresh start of the loaded program (not a paused one) with its plan rendered anew: the
    // clocks and the cursor back to the first second, a new run.
    void RestartProgram(ProgramPlan plan);
    // The loaded program runs (Running) from where its clocks stand: the present second's plan
    // goes out unless the supply already reports it.
    void RunProgram(PageCommandSink& sink);
    // A running program is held (Paused): the seconds stop counting.
    void HoldProgram();
    // The page gives up its program (Idle): the histories and the steps are emptied.
    void DropProgram();
    // Timer 1's tick, once a second while ticking(): a running program's second sent,
    // one sample into the seconds ring, the minute step every 60 samples, the plan refilled
    // ahead, the cursor and the chart (DevicePageTick.cpp). Tells when the program has ended.
    // `due` is when the second fell due on the wall clock (none: now, by the page's clock).
    // A second that is not the present one (the window was held up and catches up) is
    // recorded but its plan is not sent: the supply gets only the present second's plan, not a
    // burst of old ones; the second at which a program ends is always sent.
    TickOutcome OnTick(PageCommandSink& sink, std::optional<StampTime> due = std::nullopt,
                       bool present = true);

    // A running program (DevicePageProgram.cpp). Sends the plan of the second at the ring index
    // unless the supply already reports exactly that.
    void SendPlannedValues(PageCommandSink& sink) const;
    // "#15 - Работа по файлу закончена!", with the line that the supply stays on when the plan's
    // last second has the output on.
    std::string ProgramEndMessage() const;
    // A word about the run after the caption above the chart, "Протокол работы: [Журнал работы
    // остановлен: ...]": what the operator must know without a box to close (the journal
    // stopped, the program paused by itself). "" takes it away; each run starts without one.
    void ShowRunStatus(std::string_view text);
    const std::string& runStatus() const { return runStatus_; }
    // How the supply answers while it gives no data (exceptions, another address's replies),
    // after the run's word in the caption: "Протокол работы: [Отвечает отказом, код 5]". The
    // station says it once the page greys from such answers and takes it away ("") at the
    // supply's next reply with data.
    void ShowAnswerNotice(std::string_view text);
    const std::string& answerNotice() const { return answerNotice_; }
    // How fresh the readings are, after the other words in the caption: "Протокол работы:
    // [Замер 3 с назад]" while the supply is online and its last measurement came more than
    // STALE_MEASUREMENT_S seconds ago; nothing otherwise. Called with the statistics timer
    // (`now` on the monotonic clock); true when the caption changed.
    bool ShowMeasurementAge(MonoTime now);

    DeviceState state;
    // An identification that differs from the one the page knows, not yet believed: a stale
    // reply or a garbled one must not give a known supply new ratings (the next limits would be
    // sent in them). The supply is asked again; a second reply that repeats it is believed.
    std::optional<IdentifyPayload> identityToConfirm;
    ViewState view;

    // Chart history as far as the page's refresh touches it: entry 0 takes the first
    // measurements after a recording or program starts.
    std::vector<ChartSample> secondsRing;
    std::vector<ChartSample> minutesList;
    ChartState chart;
    SeriesSwitches series;
    // Counts drawings between two samples; one counter serves all pages unless a test gives a
    // page its own.
    RepaintCounter* repaints = &SharedRepaintCounter();
    // Stamps new samples.
    StampClock stampClock = SystemStampTime;
    // When timer 1's seconds fall due while ticking().
    TickSchedule tickSchedule{std::chrono::milliseconds(PAGE_TICK_MS)};

private:
    struct EditFocus {
        bool hasFocus = false;
        TextSelection selection;
    };

    void MinuteStep();
    std::optional<std::size_t> StepAt(int second) const;
    ChartSample PlanAt(int second) const;
    void RenderPlanFrom(int second);
    // The run's own copy of the steps, the count set back; a program with charge steps lays its
    // ring out in full, since a step that ends late makes the run longer than its plan.
    void BeginChargeRun();
    // At each tick of a running program: the second that passed counted into its charge step,
    // and the steps after it moved when it ended before or after its expected end.
    void CountCharge();
    void RefillAhead();
    void ShowIdentification();
    void ShowEditMarks();
    void AcknowledgeLimits();
    void ShowLimitEdits(RefreshCode code);
    void RewriteEdit(int id, int edited, const EditFocus& focus, const std::string& text, RefreshCode code);
    void ShowSentLimit(int id, const EditFocus& focus, const std::string& text);
    void SendLimitPair(LimitChoice which, const LimitPair& limits, PageCommandSink& sink);
    void ShowReadings();
    void CountDownFirstSample();
    void ShowModuleValues();
    void ShowTimer();
    void ShowCounters();
    void ShowReverse();
    void ShowThermometer();
    void LayOutModules();
    void ApplyStatus(PollState pollState);
    void ShowColours();
    void SetLine(int line, bool shown);
    void ShowCaption();
    EditFocus* FocusOf(int editId);
    void MarkEdited(int editId);
    bool Usable(int id) const;

    // Where the pointer last was over the page, for a cursor held under the pressed button.
    struct PointerAt {
        int x = 0;
        int y = 0;
        ChartArea area;
    };
    ChartInput ChartInputOf(int width, int height) const;
    // The hit test at the pointer; true when the cursor moved.
    bool PointChart(int x, int y, const ChartArea& area);
    // What the chart shows besides its picture, applied to the page.
    void DecideChart();

    void ShowFileItems();

    PageRun run_ = PageRun::Idle;
    FileItems fileItems_;
    int runNumber_ = 0;
    std::vector<ChartSample> programSteps_;
    std::vector<std::optional<int>> programCharges_;
    std::vector<ChartSample> runSteps_; // programSteps_ with the times the present run moved
    long long stepCharge_ = 0;          // raw current units × seconds since the charge step began
    long long runCharge_ = 0;           // the same since the run began
    std::string programFileName_;
    std::string programSha256_;
    std::optional<int> programArea_;
    std::string programCaption_; // the caption above the chart while the program is loaded
    std::optional<PointerAt> pointer_;
    EditFocus voltFocus_;
    EditFocus currFocus_;
    // Typed since the edit's limit last went out (the mark stays until the supply confirms).
    bool voltUnsent_ = false;
    bool currUnsent_ = false;
    bool chartInvalidated_ = false;
    std::string runStatus_;
    std::string answerNotice_;
    std::string ageNotice_;
    unsigned measurementsSeen_ = 0;      // state.measurements when last looked at
    std::optional<MonoTime> measuredAt_; // when a change of it was last seen
};

} // namespace rir
