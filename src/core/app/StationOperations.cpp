// The station's operations with values: the window's and the plant's way to the same clicks.
// Each first asks what the click's control would need (the page answers, no program holds the
// control, the program stands where the button applies) and names what is missing; then it
// takes the click's own path, so the requests, the clamps, the journal marks and the log lines
// are the operator's.
#include "app/Station.h"

#include "device/PageControls.h"

namespace rir {

namespace {

OperationResult Refused(std::string_view why) {
    return {std::string(why)};
}

} // namespace

OperationResult Station::SetLimits(int address, int channel, std::optional<LimitAmount> volts,
                                   std::optional<LimitAmount> amps) {
    const NotifyBatch batch(*this);
    DevicePage* page = FindPage(address, channel);
    if (page == nullptr)
        return Refused(OPERATION_NO_DEVICE);
    if (!volts && !amps)
        return Refused(OPERATION_NO_VALUE);
    // The edits and "Установить" are disabled while the supply does not answer or a program
    // holds the page.
    if (!page->state.online)
        return Refused(OPERATION_OFFLINE);
    if (page->programLoaded())
        return Refused(OPERATION_PROGRAM_LOADED);
    page->SendLimits(volts, amps, *this);
    PageUpdated(*page);
    return {};
}

OperationResult Station::SetLimitValues(int address, int channel, std::optional<double> volts,
                                        std::optional<double> amps) {
    const std::optional<LimitAmount> v = volts ? LimitAmountOf(*volts) : std::nullopt;
    const std::optional<LimitAmount> a = amps ? LimitAmountOf(*amps) : std::nullopt;
    if (bool(volts) != bool(v) || bool(amps) != bool(a))
        return Refused(OPERATION_OUT_OF_RANGE);
    return SetLimits(address, channel, v, a);
}

OperationResult Station::SwitchOutput(int address, int channel, bool on) {
    const NotifyBatch batch(*this);
    const DevicePage* page = FindPage(address, channel);
    if (page == nullptr)
        return Refused(OPERATION_NO_DEVICE);
    const DeviceState& s = page->state;
    if (on) {
        if (!s.online)
            return Refused(OPERATION_OFFLINE);
        // Switching on is the program's while one is loaded.
        if (page->programLoaded())
            return Refused(OPERATION_PROGRAM_LOADED);
        if (s.outputOn)
            return {};
    } else {
        if (s.online && !s.outputOn)
            return {};
        // Offline the switch-off goes out whatever the page last showed, but a supply never
        // identified has no model to address it by.
        if (!s.online && s.model == 0)
            return Refused(OPERATION_OFFLINE);
    }
    OnPageCommand(address, channel, IDC_OUTPUT_BUTTON);
    return {};
}

OperationResult Station::RunProgram(int address, int channel, ProgramStep step) {
    const NotifyBatch batch(*this);
    const DevicePage* page = FindPage(address, channel);
    if (page == nullptr)
        return Refused(OPERATION_NO_DEVICE);
    if (!page->programLoaded())
        return Refused(OPERATION_NO_PROGRAM);
    int button = IDC_PROGRAM_START;
    switch (step) {
    case ProgramStep::Start:
        if (page->programRunning())
            return Refused(OPERATION_PROGRAM_RUNS);
        if (page->programPaused())
            return Refused(OPERATION_PROGRAM_PAUSED);
        break;
    case ProgramStep::Continue:
        if (!page->programPaused())
            return Refused(OPERATION_PROGRAM_NOT_PAUSED);
        break;
    case ProgramStep::Pause:
        if (!page->programRunning())
            return Refused(OPERATION_PROGRAM_NOT_RUNNING);
        button = IDC_PROGRAM_PAUSE;
        break;
    case ProgramStep::Cancel:
        // "Отменить" waits for the pause: a running program is stopped first.
        if (page->programRunning())
            return Refused(OPERATION_PROGRAM_RUNS);
        button = IDC_PROGRAM_CANCEL;
        break;
    }
    // A supply that does not answer cannot take a program's plan.
    if (button == IDC_PROGRAM_START && !page->state.online)
        return Refused(OPERATION_OFFLINE);
    OnPageCommand(address, channel, button);
    return {};
}

} // namespace rir
