// The operator's commands on a device page: limits, the output switch, the dosing restart, the
// module settings and the page's own removal, each turned into the requests the supply takes.
#include "device/DevicePage.h"

#include "device/LimitText.h"
#include "device/ModuleRequests.h"
#include "device/ModuleSetupValues.h"
#include "device/PageControls.h"
#include "device/PageTemplate.h"
#include "device/PageTexts.h"

namespace rir {

bool DevicePage::Usable(int id) const {
    // A click can only come from a control the operator sees enabled; anything else is stale
    // (the page changed under the event) and must not reach the supply.
    return view.shown(id) && view.enabled(id);
}

PageCommandResult DevicePage::OnCommand(int id, PageCommandSink& sink) {
    // Enter and Escape give a dialog IDOK and IDCANCEL; a page is no dialog to be closed by them.
    if (id == IDOK || id == IDCANCEL || !Usable(id))
        return PageCommandResult::Ignored;
    switch (id) {
    case IDC_SET_LIMITS:
        SendLimits(LimitChoice::Both, sink);
        return PageCommandResult::Done;
    case IDC_OUTPUT_BUTTON:
        // With a program loaded the switch-off is the runner's: a running program pauses.
        if (programLoaded())
            return PageCommandResult::RunProgram;
        // A supply that does not answer reads "Выключить": its output is not known.
        if (!state.online)
            SwitchOutputOff(sink);
        else
            ToggleOutput(sink);
        return PageCommandResult::Done;
    case IDC_DOSER_RESTART:
        RestartDoser(sink);
        return PageCommandResult::Done;
    case IDC_MODULE_SETUP:
        ConfigureModules(sink);
        return PageCommandResult::Done;
    case IDC_REMOVE_DEVICE:
        return PageCommandResult::RemoveDevice;
    case IDC_OPEN_PROGRAM:
        return PageCommandResult::OpenProgram;
    case IDC_PROGRAM_START:
    case IDC_PROGRAM_PAUSE:
    case IDC_PROGRAM_CANCEL:
        return programLoaded() ? PageCommandResult::RunProgram : PageCommandResult::Ignored;
    default:
        return PageCommandResult::Ignored;
    }
}

PageCommandResult DevicePage::OnEnterKey(int editId, PageCommandSink& sink) {
    if (!Usable(editId))
        return PageCommandResult::Ignored;
    if (editId == IDC_VOLT_EDIT)
        SendLimits(LimitChoice::Voltage, sink);
    else if (editId == IDC_CURR_EDIT)
        SendLimits(LimitChoice::Current, sink);
    else
        return PageCommandResult::Ignored;
    return PageCommandResult::Done;
}

DevicePage::EditFocus* DevicePage::FocusOf(int editId) {
    return editId == IDC_VOLT_EDIT ? &voltFocus_ : editId == IDC_CURR_EDIT ? &currFocus_ : nullptr;
}

void DevicePage::MarkEdited(int editId) {
    (editId == IDC_VOLT_EDIT ? state.voltEdited : state.currEdited) = 1;
    (editId == IDC_VOLT_EDIT ? voltUnsent_ : currUnsent_) = true;
    // The asterisk shows as the operator types, not only at the supply's next reply.
    ShowEditMarks();
}

KeyDecision DevicePage::FilterEditKey(int editId, char32_t typed) {
    const EditFocus* focus = FocusOf(editId);
    if (focus == nullptr)
        return REFUSED_KEY;
    const KeyDecision decision = FilterLimitKey(view.text(editId), focus->selection, typed);
    if (decision.accepted)
        MarkEdited(editId);
    return decision;
}

std::string DevicePage::FilterEditPaste(int editId, std::u32string_view pasted) {
    const EditFocus* focus = FocusOf(editId);
    if (focus == nullptr)
        return {};
    std::string inserted = FilterLimitPaste(view.text(editId), focus->selection, pasted);
    if (!inserted.empty())
        MarkEdited(editId);
    return inserted;
}

void DevicePage::SendLimits(LimitChoice which, PageCommandSink& sink) {
    // Both edits are read and both limits overwritten whichever is sent: the request always
    // carries both values, and the supply takes the one its flags name.
    SendLimitPair(which, LimitsFromTexts(state, view.text(IDC_VOLT_EDIT), view.text(IDC_CURR_EDIT)), sink);
}

void DevicePage::SendLimits(std::optional<LimitAmount> volts, std::optional<LimitAmount> amps,
                            PageCommandSink& sink) {
    if (!volts && !amps)
        return;
    LimitPair limits = LimitsFromTexts(state, view.text(IDC_VOLT_EDIT), view.text(IDC_CURR_EDIT));
    if (volts)
        limits.voltLimit = ClampLimit(RawLimit(*volts, state.voltScale), state.voltMin, state.voltMax);
    if (amps)
        limits.currLimit = ClampLimit(RawLimit(*amps, state.currScale), state.currMin, state.currMax);
    SendLimitPair(!amps    ? LimitChoice::Voltage
                  : !volts ? LimitChoice::Current
                           : LimitChoice::Both,
                  limits, sink);
}

void DevicePage::SendLimitPair(LimitChoice which, const LimitPair& limits, PageCommandSink& sink) {
    state.voltLimit = limits.voltLimit;
    state.currLimit = limits.currLimit;
    sink.Enqueue(LimitsRequest(state, which));
    state.limitsSent = static_cast<int>(which);
    if (which != LimitChoice::Current)
        voltUnsent_ = false;
    if (which != LimitChoice::Voltage)
        currUnsent_ = false;
    // The edit shows what went out ("50" on a 37 V supply becomes "37.00"); its mark stays until
    // the supply confirms.
    if (which != LimitChoice::Current)
        ShowSentLimit(IDC_VOLT_EDIT, voltFocus_, VoltEditText(state.voltLimit, state.voltScale));
    if (which != LimitChoice::Voltage)
        ShowSentLimit(IDC_CURR_EDIT, currFocus_, CurrEditText(state.currLimit, state.currScale));
}

void DevicePage::ShowSentLimit(int id, const EditFocus& focus, const std::string& text) {
    const TextSelection restored = ShiftSelection(view.text(id), text, focus.selection);
    if (SetTextIfChanged(id, text) && focus.hasFocus)
        view.SetSelection(id, restored);
}

void DevicePage::ToggleOutput(PageCommandSink& sink) {
    // Limits typed but not yet sent go out before the switch-on: the operator sees them in the
    // edits and switches on expecting them, not the ones the supply held.
    if (!state.outputOn) {
        if (voltUnsent_ && currUnsent_)
            SendLimits(LimitChoice::Both, sink);
        else if (voltUnsent_)
            SendLimits(LimitChoice::Voltage, sink);
        else if (currUnsent_)
            SendLimits(LimitChoice::Current, sink);
    }
    // A switch-on by hand records the run; one already recording goes on with the same chart.
    if (!state.outputOn && run_ == PageRun::Idle)
        StartRecording();
    for (const Request& r : ToggleOutputRequests(state))
        sink.Enqueue(r);
}

void DevicePage::SendOutputOff(PageCommandSink& sink) const {
    if (const std::optional<Request> r = OutputOffRequest(state))
        sink.Enqueue(*r);
}

void DevicePage::SwitchOutputOff(PageCommandSink& sink) const {
    // Offline the page does not know the output: the switch-off goes out whatever it last showed.
    // It takes the output flag alone, so the limits it carries (none known) are not taken.
    if (!state.online)
        sink.Enqueue(WriteOutputRequest(state, TAKE_OUTPUT));
    else
        SendOutputOff(sink);
}

void DevicePage::RestartDoser(PageCommandSink& sink) const {
    sink.Enqueue(DoserRestartRequest(state));
}

void DevicePage::ConfigureModules(PageCommandSink& sink) {
    const std::optional<ModuleSetupValues> chosen = sink.RunModuleSetup(ModuleSetupValuesFrom(state));
    if (!chosen)
        return;
    // The requests compare the chosen configuration with the one in force, so they are built
    // before the record takes the dialog's values.
    for (const Request& r : ModuleSetupRequests(state, *chosen))
        sink.Enqueue(r);
    ApplyModuleSetup(state, *chosen);
}

} // namespace rir
