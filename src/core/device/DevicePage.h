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

// Timer 1 of a page, its one-second tick: it runs while the page records or runs a program.
inline constexpr int PAGE_TICK_MS = 1000;
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

    // The chart (DevicePageChart.cpp). The Qt page hands in the chart rectangle and the pointer
    // in page client coordinates; everything else is decided here.
    // Draws the chart into a picture of the rectangle's size and writes the readouts.
    ChartScene PaintChart(const ChartArea& area, int pointerX, int pointerY);
    // The picture "Сохранить график в PNG..." writes: the chart as PaintChart draws it, with the
    // supply as its tab names it and the day above, and the clock times along its time axis.
    ChartScene PaintChartPicture(const ChartArea& area, int pointerX, int pointerY);
    // The pointer moved over the page (also when it left the chart rectangle).
    void OnChartPointer(int x, int y, const ChartArea& area);
    void OnChartButtonDown();
    void OnChartButtonUp();
    // A series check box was clicked; the switch is found by the box's caption.
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
    void ToggleOutput(PageCommandSink& sink);
    // The output off when the supply reports it on.
    void SendOutputOff(PageCommandSink& sink) const;
    // The operator's switch-off ("Выключить", a stop of the program): as SendOutputOff, and while
    // the supply does not answer in any case, since its output is not known.
    void SwitchOutputOff(PageCommandSink& sink) const;
    void RestartDoser(PageCommandSink& sink) const;
    void ConfigureModules(PageCommandSink& sink);

    // The output was switched on by hand with no program loaded: the page starts a recording of
    // the supply's limits and measurements (DevicePageRecording.cpp).
    void StartRecording();
    // Timer 1's tick, once a second while tickTimerRunning: a running program's second sent,
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
    // The next load or drawing needs the chart drawn again.
    void InvalidateChart() { chartInvalidated_ = true; }

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
    // Timer 1 (PAGE_TICK_MS): the page's one-second tick runs while this is set, on the
    // schedule below.
    bool tickTimerRunning = false;
    TickSchedule tickSchedule{std::chrono::milliseconds(PAGE_TICK_MS)};

    // Program runner and recording, set by the commands that own them. The steps are the loaded
    // program in file order; the ring holds their plan second by second.
    std::vector<ChartSample> programSteps;
    // "Файл-задача: prog.csv # Title", the caption while the program is loaded.
    std::string programCaption;
    // Counts the runs of the page, recordings and fresh program starts: a new number is a new
    // run, with a journal of its own.
    int runNumber = 0;
    bool programLoaded = false;
    bool programStarted = false; // stays set while paused
    bool programPaused = false;
    bool recording = false;

private:
    struct EditFocus {
        bool hasFocus = false;
        TextSelection selection;
    };

    void MinuteStep();
    void RefillAhead();
    void ShowIdentification();
    void ShowEditMarks();
    void AcknowledgeLimits();
    void ShowLimitEdits(RefreshCode code);
    void RewriteEdit(int id, int edited, const EditFocus& focus, const std::string& text, RefreshCode code);
    void ShowSentLimit(int id, const EditFocus& focus, const std::string& text);
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

    EditFocus voltFocus_;
    EditFocus currFocus_;
    // Typed since the edit's limit last went out (the mark stays until the supply confirms).
    bool voltUnsent_ = false;
    bool currUnsent_ = false;
    bool chartInvalidated_ = false;
    std::string runStatus_;
    std::string answerNotice_;
    // Where the last drawing put the clock times of its samples.
    std::vector<ClockMark> clockMarks_;
};

} // namespace rir
