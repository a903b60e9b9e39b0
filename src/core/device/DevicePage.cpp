#include "device/DevicePage.h"

#include "device/LimitText.h"
#include "device/PageControls.h"
#include "device/PageTemplate.h"
#include "device/PageTexts.h"
#include "device/Ratings.h"

#include <algorithm>
#include <utility>

namespace rir {

namespace {

// What a refresh was asked for.

// The poll state of a supply whose identity and module data are both known.

constexpr int EDIT_MARK_VOLT = 0x01;
constexpr int EDIT_MARK_CURR = 0x02;

constexpr int LIMITS_VOLT = 1;
constexpr int LIMITS_CURR = 2;
constexpr int LIMITS_BOTH = 3;

constexpr int MODULE_CONTROLS[] = {IDC_LINE1_LABEL, IDC_LINE2_LABEL, IDC_LINE3_LABEL, IDC_LINE4_LABEL,
                                   IDC_LINE1_VALUE, IDC_LINE2_VALUE, IDC_LINE3_VALUE, IDC_LINE4_VALUE};
constexpr int SERIES_BOXES[] = {IDC_SERIES_VOLT, IDC_SERIES_VOLT_LIMIT, IDC_SERIES_CURR,
                                IDC_SERIES_CURR_LIMIT, IDC_SERIES_OUTPUT};
constexpr int STATE_TEXTS[] = {IDC_OUTPUT_STATE, IDC_REGULATION, IDC_VOLT_READING, IDC_CURR_READING};

} // namespace

DevicePage::DevicePage() {
    for (const TemplateControl& c : PageTemplate()) {
        if (c.id == IDC_STATIC)
            continue;
        view.SetTextIfChanged(c.id, c.text);
        view.SetShown(c.id, c.shown);
        view.SetEnabled(c.id, c.enabled);
        view.SetChecked(c.id, c.checked);
        view.MarkChanged(c.id); // the view applies every control once at the start
    }
}

void DevicePage::InitDevice(int address, int channel) {
    state = MakeDeviceState(address, channel);
    voltUnsent_ = currUnsent_ = false;
    run_ = PageRun::Idle;
    secondsRing.clear();
    minutesList.clear();
    chart = ChartState{};
    UpdateControls();
    view.SetShown(IDC_DIAGNOSTIC, false);
}

void DevicePage::AssumeNoModules() {
    if (state.moduleConfig == -1)
        state.moduleConfig = CONFIG_NONE;
}

void DevicePage::SetEditState(int id, std::string_view text, bool hasFocus, TextSelection selection) {
    if (id == IDC_AREA_EDIT) {
        // What the operator typed is read when a file is opened; nothing else follows from it.
        view.NoteWidgetText(id, text);
        return;
    }
    EditFocus* focus = id == IDC_VOLT_EDIT ? &voltFocus_ : id == IDC_CURR_EDIT ? &currFocus_ : nullptr;
    if (focus == nullptr)
        return;
    view.NoteWidgetText(id, text);
    focus->hasFocus = hasFocus;
    focus->selection = selection;
}

const std::string& DevicePage::partAreaText() const {
    return view.text(IDC_AREA_EDIT);
}

void DevicePage::SetPartAreaText(std::string_view text) {
    view.SetTextIfChanged(IDC_AREA_EDIT, text);
}

bool DevicePage::takeChartInvalidated() {
    return std::exchange(chartInvalidated_, false);
}

void DevicePage::RefreshView(RefreshCode code, PollState pollState) {
    ShowIdentification();
    ShowEditMarks();
    if (code == RefreshCode::Values || code == RefreshCode::WriteAck) {
        if (code == RefreshCode::WriteAck)
            AcknowledgeLimits();
        ShowLimitEdits(code);
        ShowReadings();
        CountDownFirstSample();
    }
    if (code == RefreshCode::Modules)
        ShowModuleValues();
    else if (code == RefreshCode::Layout)
        LayOutModules();
    ApplyStatus(pollState);
    ShowColours();
}

void DevicePage::ShowIdentification() {
    const Identification id = IdentificationFor(state);
    if (id.smallVariant) {
        state.current3Dec = true;
        state.currScale = 1000;
    }
    if (id.reverseCapable)
        state.reverseCapable = true;
    SetTextIfChanged(IDC_DESCRIPTION_GROUP, id.line);
}

void DevicePage::ShowEditMarks() {
    if (state.voltEdited != 0 && (state.editMarks & EDIT_MARK_VOLT) == 0) {
        SetTextIfChanged(IDC_VOLT_UNIT, "В*");
        state.editMarks |= EDIT_MARK_VOLT;
    }
    if (state.currEdited != 0 && (state.editMarks & EDIT_MARK_CURR) == 0) {
        SetTextIfChanged(IDC_CURR_UNIT, "А*");
        state.editMarks |= EDIT_MARK_CURR;
    }
}

void DevicePage::AcknowledgeLimits() {
    // Each acknowledged limit clears its own mark bit. Subtracting the bit instead would drive
    // the marks negative when a limit was sent without having been typed (Enter in an untouched
    // edit), and a negative value has every bit set: no asterisk would ever show again.
    if (state.limitsSent == LIMITS_VOLT || state.limitsSent == LIMITS_BOTH) {
        SetTextIfChanged(IDC_VOLT_UNIT, "В");
        state.voltEdited = 0;
        state.editMarks &= ~EDIT_MARK_VOLT;
    }
    if (state.limitsSent == LIMITS_CURR || state.limitsSent == LIMITS_BOTH) {
        SetTextIfChanged(IDC_CURR_UNIT, "А");
        state.currEdited = 0;
        state.editMarks &= ~EDIT_MARK_CURR;
    }
}

void DevicePage::ShowLimitEdits(RefreshCode code) {
    RewriteEdit(IDC_VOLT_EDIT, state.voltEdited, voltFocus_, VoltEditText(state.voltLimit, state.voltScale),
                code);
    RewriteEdit(IDC_CURR_EDIT, state.currEdited, currFocus_, CurrEditText(state.currLimit, state.currScale),
                code);
    if (code == RefreshCode::WriteAck)
        state.limitsSent = 0;
}

void DevicePage::RewriteEdit(int id, int edited, const EditFocus& focus, const std::string& text,
                             RefreshCode code) {
    // Typed, unsent text is never overwritten; an edit the user is in is left alone unless the
    // supply has just confirmed a write, which is the moment to show what it took.
    if (edited != 0 || (focus.hasFocus && code != RefreshCode::WriteAck))
        return;
    if (!focus.hasFocus) {
        SetTextIfChanged(id, text);
        return;
    }
    const TextSelection restored = ShiftSelection(view.text(id), text, focus.selection);
    if (SetTextIfChanged(id, text))
        view.SetSelection(id, restored);
}

void DevicePage::ShowReadings() {
    SetTextIfChanged(IDC_VOLT_READING, VoltReadingText(state.voltMeas, state.voltLimit, state.voltScale));
    SetTextIfChanged(IDC_CURR_READING, CurrReadingText(state.currMeas, state.currLimit, state.currScale));
}

void DevicePage::CountDownFirstSample() {
    if (state.firstSampleCountdown <= 0)
        return;
    --state.firstSampleCountdown;
    if (state.firstSampleCountdown == 0 && !secondsRing.empty()) {
        secondsRing.front().voltMeas = state.voltMeas;
        secondsRing.front().currMeas = state.currMeas;
    }
}

void DevicePage::ApplyStatus(PollState pollState) {
    if (state.status == -1 || pollState != PollState::Complete)
        return;
    const bool on = StatusOutputOn(state.status);
    const bool voltRegulation = StatusVoltRegulation(state.status);
    if (!state.online && state.moduleConfig != -1) {
        state.online = true;
        UpdateControls();
        RefreshView(RefreshCode::Layout, PollState::Unknown);
    }
    state.outputOn = on;
    if (programLoaded())
        view.SetEnabled(IDC_OUTPUT_BUTTON, on);
    if (on) {
        view.SetFont(IDC_OUTPUT_STATE, FontKind::Bold);
        SetTextIfChanged(IDC_OUTPUT_STATE, "Включен");
        view.SetFont(IDC_REGULATION, FontKind::Bold);
        SetTextIfChanged(IDC_OUTPUT_BUTTON, "Выключить");
        SetTextIfChanged(IDC_REGULATION, voltRegulation ? "Напряжения" : "Тока");
        view.SetFont(IDC_VOLT_READING, voltRegulation ? FontKind::Bold : FontKind::Normal);
        view.SetFont(IDC_CURR_READING, voltRegulation ? FontKind::Normal : FontKind::Bold);
        view.SetEnabled(IDC_MODULE_SETUP, false);
        view.SetEnabled(IDC_CLEAR_CHART, false);
    } else {
        for (int id : STATE_TEXTS)
            view.SetFont(id, FontKind::Normal);
        SetTextIfChanged(IDC_OUTPUT_STATE, "Выключен");
        SetTextIfChanged(IDC_OUTPUT_BUTTON, "Включить");
        SetTextIfChanged(IDC_REGULATION, "-");
        view.SetEnabled(IDC_MODULE_SETUP, state.channel == 0);
        view.SetEnabled(IDC_CLEAR_CHART, recording() && !secondsRing.empty());
    }
    state.voltRegulation = voltRegulation;
    state.status = -1;
}

void DevicePage::UpdateControls() {
    if (!state.online) {
        for (int id : {IDC_OUTPUT_STATE, IDC_REGULATION, IDC_VOLT_EDIT, IDC_CURR_EDIT, IDC_OPEN_PROGRAM,
                       IDC_AREA_EDIT, IDC_PROGRAM_START})
            view.SetEnabled(id, false);
        // A supply that does not answer cannot take a program's plan, but the operator can still
        // hold the program or give it up: neither sends anything the supply must be there for.
        view.SetEnabled(IDC_PROGRAM_PAUSE, programRunning());
        view.SetEnabled(IDC_PROGRAM_CANCEL, programLoaded() && !programRunning());
        fileItems_.open = false;
        ShowFileItems();
        // The dosing restart belongs to the module lines: it goes with them while the supply is
        // away, and the layout brings it back.
        for (int id : {IDC_MODULE_SETUP, IDC_READOUT_LIMITS, IDC_READOUT_VALUES, IDC_DOSER_RESTART})
            view.SetShown(id, false);
        for (int id : MODULE_CONTROLS)
            view.SetShown(id, false);
        for (int id : STATE_TEXTS)
            SetTextIfChanged(id, "-");
        view.SetEnabled(IDC_VOLT_READING, false);
        view.SetEnabled(IDC_CURR_READING, false);
        view.SetShown(IDC_SET_LIMITS, true);
        view.SetEnabled(IDC_SET_LIMITS, false);
        // Switching off stays possible while the supply does not answer: its output may well be
        // on. The switch-off is queued as any command (sent until the supply takes it, at most
        // three times); a supply never identified has no model to address it by.
        view.SetShown(IDC_OUTPUT_BUTTON, true);
        view.SetEnabled(IDC_OUTPUT_BUTTON, state.model != 0);
        SetTextIfChanged(IDC_OUTPUT_BUTTON, "Выключить");
        state.voltLimit = state.currLimit = state.voltMeas = state.currMeas = 0;
        state.outputOn = false;
        state.status = -1;
        ShowCaption();
        ShowColours();
        return;
    }

    if (programLoaded()) {
        for (int id : {IDC_CLEAR_CHART, IDC_VOLT_EDIT, IDC_CURR_EDIT, IDC_OPEN_PROGRAM, IDC_AREA_EDIT})
            view.SetEnabled(id, false);
        view.SetShown(IDC_READOUT_LIMITS, true);
        view.SetShown(IDC_READOUT_VALUES, true);
        for (int id : {IDC_SET_LIMITS, IDC_OUTPUT_BUTTON})
            view.SetShown(id, true);
        view.SetEnabled(IDC_SET_LIMITS, false);
        // "Выключить" is always there: during a run it pauses the program, after the end it
        // switches off a supply the last step left on. Switching on is the program's.
        view.SetEnabled(IDC_OUTPUT_BUTTON, state.outputOn);
        view.SetEnabled(IDC_PROGRAM_START, !programRunning());
        view.SetEnabled(IDC_PROGRAM_PAUSE, programRunning());
        view.SetEnabled(IDC_PROGRAM_CANCEL, !programRunning());
        // A program loaded but not yet started keeps the start button's caption.
        if (programStarted())
            SetTextIfChanged(IDC_PROGRAM_START, programPaused() ? "Продолжить" : "Старт");
    } else {
        for (int id : {IDC_VOLT_EDIT, IDC_CURR_EDIT, IDC_OPEN_PROGRAM, IDC_AREA_EDIT})
            view.SetEnabled(id, true);
        for (int id : {IDC_SET_LIMITS, IDC_OUTPUT_BUTTON}) {
            view.SetShown(id, true);
            view.SetEnabled(id, true);
        }
        for (int id : {IDC_PROGRAM_START, IDC_PROGRAM_PAUSE, IDC_PROGRAM_CANCEL})
            view.SetEnabled(id, false);
        SetTextIfChanged(IDC_PROGRAM_START, "Старт");
        view.SetShown(IDC_READOUT_LIMITS, recording());
        view.SetShown(IDC_READOUT_VALUES, recording());
        if (!recording()) {
            series.SetAll(true);
            for (int id : SERIES_BOXES)
                view.SetChecked(id, true);
            UpdateChart();
        }
    }

    ShowCaption();
    fileItems_ = {!programLoaded(), recording()};
    ShowFileItems();
    for (int id : STATE_TEXTS)
        view.SetEnabled(id, true);
    const bool moduleSetup = state.channel == 0 && state.model != MODEL_RS232;
    view.SetShown(IDC_MODULE_SETUP, moduleSetup);
    view.SetEnabled(IDC_MODULE_SETUP, moduleSetup);
    ShowColours();
}

void DevicePage::ShowFileItems() {
    view.SetMenuEnabled(ID_MENU_FILE_OPEN, fileItems_.open);
    view.SetMenuEnabled(ID_MENU_FILE_SAVE, fileItems_.save);
}

void DevicePage::ShowRunStatus(std::string_view text) {
    runStatus_ = text;
    ShowCaption();
}

void DevicePage::ShowAnswerNotice(std::string_view text) {
    answerNotice_ = text;
    ShowCaption();
}

void DevicePage::ShowCaption() {
    std::string caption = programLoaded() ? programCaption_ : std::string("Протокол работы:");
    if (!runStatus_.empty())
        caption += " [" + runStatus_ + "]";
    if (!answerNotice_.empty())
        caption += " [" + answerNotice_ + "]";
    if (!ageNotice_.empty())
        caption += " [" + ageNotice_ + "]";
    SetTextIfChanged(IDC_PROGRAM_CAPTION, caption);
}

bool DevicePage::ShowMeasurementAge(MonoTime now) {
    if (!measuredAt_ || state.measurements != measurementsSeen_) {
        measurementsSeen_ = state.measurements;
        measuredAt_ = now;
    }
    const auto age = std::chrono::duration_cast<std::chrono::seconds>(now - *measuredAt_).count();
    std::string notice;
    if (state.online && age > STALE_MEASUREMENT_S)
        notice = "Замер " + std::to_string(age) + " с назад";
    if (notice == ageNotice_)
        return false;
    ageNotice_ = std::move(notice);
    ShowCaption();
    return true;
}

void DevicePage::ShowColours() {
    // The regulated quantity is green for voltage and red for current while the output is on;
    // the two readings keep their colours while there is something to read.
    std::optional<Rgb> regulation;
    if (state.outputOn)
        regulation = state.voltRegulation ? COLOUR_GREEN : COLOUR_RED;
    view.SetColour(IDC_REGULATION, regulation);
    const bool live = state.online || programLoaded();
    view.SetColour(IDC_VOLT_READING, live ? std::optional<Rgb>(COLOUR_GREEN) : std::nullopt);
    view.SetColour(IDC_CURR_READING, live ? std::optional<Rgb>(COLOUR_RED) : std::nullopt);
}

} // namespace rir
