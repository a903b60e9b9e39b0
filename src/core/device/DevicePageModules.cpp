// The device page's module lines: their values after a module-data reply, and which lines a
// module configuration shows.
#include "device/DevicePage.h"

#include "device/PageControls.h"
#include "device/PageTexts.h"
#include "device/Ratings.h"

namespace rir {

namespace {

struct Line {
    int label;
    int value;
};
constexpr Line LINES[] = {{IDC_LINE1_LABEL, IDC_LINE1_VALUE},
                          {IDC_LINE2_LABEL, IDC_LINE2_VALUE},
                          {IDC_LINE3_LABEL, IDC_LINE3_VALUE},
                          {IDC_LINE4_LABEL, IDC_LINE4_VALUE}};

FontKind UnderlinedWhen(bool underlined) {
    return underlined ? FontKind::Underlined : FontKind::Normal;
}

// The counter a supply counts into is marked by an underlined label.
constexpr int COUNTER_SELECT_TOTAL = 1;
constexpr int COUNTER_SELECT_DAILY = 2;
constexpr int COUNTER_MODE_DOSE_NO_SWITCH_OFF = 3;

} // namespace

void DevicePage::SetLine(int line, bool shown) {
    view.SetShown(LINES[line].label, shown);
    view.SetShown(LINES[line].value, shown);
}

void DevicePage::ShowModuleValues() {
    if (state.hasTimerRow)
        ShowTimer();
    if (state.hasCounterRow)
        ShowCounters();
    if (state.hasReverseRow && !state.hasCounterRow)
        ShowReverse();
    if (state.hasWattRow) {
        SetTextIfChanged(state.moduleConfig == CONFIG_FULL ? IDC_LINE3_VALUE : IDC_LINE1_VALUE,
                         WattText(state.wattRaw, state.moduleConfig));
    }
    if (state.hasThermoRow)
        ShowThermometer();
}

void DevicePage::ShowTimer() {
    SetTextIfChanged(IDC_LINE1_VALUE,
                     TimerValueText(state.timerValue, state.timerNegative != 0, state.moduleConfig));
    SetTextIfChanged(IDC_LINE1_LABEL,
                     TimerLabelText(state.timerMode, state.timerResetOnOff != 0, state.moduleConfig));
}

void DevicePage::ShowCounters() {
    const CounterTexts t =
        CounterTextsFor(state.model, state.counterUnits, state.counterDaily, state.counterTotal);
    const std::string dailyLabel = DailyCounterLabel(state.counterMode);
    switch (state.moduleConfig) {
    case CONFIG_TIMER_COUNTER: {
        SetTextIfChanged(IDC_LINE2_VALUE, t.daily);
        if (t.total)
            SetTextIfChanged(IDC_LINE3_VALUE, *t.total);
        view.SetFont(IDC_LINE3_LABEL, UnderlinedWhen(state.counterSelect == COUNTER_SELECT_TOTAL));
        view.SetFont(IDC_LINE2_LABEL, UnderlinedWhen(state.counterSelect == COUNTER_SELECT_DAILY));
        // Only the model-2 doser that doses without switching off can be restarted from here.
        const bool restartable = (state.counterMode & 0x03) == COUNTER_MODE_DOSE_NO_SWITCH_OFF &&
                                 state.model == MODEL_TIMER_AMPERE;
        view.SetShown(IDC_DOSER_RESTART, restartable);
        view.SetEnabled(IDC_DOSER_RESTART, state.doseActive);
        SetTextIfChanged(IDC_LINE2_LABEL, dailyLabel);
        SetTextIfChanged(IDC_LINE3_LABEL, TOTAL_COUNTER_LABEL);
        break;
    }
    case CONFIG_COUNTERS_DOSER:
        SetTextIfChanged(IDC_LINE1_VALUE, t.daily);
        if (t.total)
            SetTextIfChanged(IDC_LINE2_VALUE, *t.total);
        view.SetFont(IDC_LINE2_LABEL, UnderlinedWhen(state.counterSelect == COUNTER_SELECT_TOTAL));
        view.SetFont(IDC_LINE1_LABEL, UnderlinedWhen(state.counterSelect == COUNTER_SELECT_DAILY));
        SetTextIfChanged(IDC_LINE1_LABEL, dailyLabel);
        SetTextIfChanged(IDC_LINE2_LABEL, TOTAL_COUNTER_LABEL);
        break;
    case CONFIG_COUNTER_TOTAL:
        SetTextIfChanged(IDC_LINE1_LABEL, TOTAL_COUNTER_LABEL);
        if (t.total)
            SetTextIfChanged(IDC_LINE1_VALUE, *t.total);
        break;
    case CONFIG_FULL:
        SetTextIfChanged(IDC_LINE2_LABEL, CounterLabelText(state.counterMode, state.counterResetOnOff != 0));
        SetTextIfChanged(IDC_LINE2_VALUE, t.daily);
        break;
    default:
        break;
    }
}

void DevicePage::ShowReverse() {
    // The phase the supply is in shows in bold while the output is on.
    if (state.outputOn) {
        view.SetFont(IDC_LINE2_LABEL, state.reversePhase ? FontKind::Bold : FontKind::Normal);
        view.SetFont(IDC_LINE3_LABEL, state.reversePhase ? FontKind::Normal : FontKind::Bold);
    }
    SetTextIfChanged(IDC_LINE2_VALUE, ReverseForwardText(state.revFwdCurrent, state.revFwdTime));
    SetTextIfChanged(IDC_LINE3_VALUE, ReverseBackText(state.revBackCurrent, state.revBackTime));
}

void DevicePage::ShowThermometer() {
    SetTextIfChanged(IDC_LINE4_LABEL, ThermoLabelText(state.thermoMode));
    SetTextIfChanged(IDC_LINE4_VALUE, ThermoValueText(state.tempRaw, state.thermoMode, state.tempTargetRaw,
                                                      state.tempDeltaRaw));
}

void DevicePage::LayOutModules() {
    struct Flags {
        bool timer, counter, reverse, watt;
    };
    auto setFlags = [this](Flags f) {
        state.hasTimerRow = f.timer;
        state.hasCounterRow = f.counter;
        state.hasReverseRow = f.reverse;
        state.hasWattRow = f.watt;
    };
    auto showLines = [this](int count, bool button) {
        for (int line = 0; line < 4; ++line)
            SetLine(line, line < count);
        view.SetShown(IDC_DOSER_RESTART, button);
    };

    switch (state.moduleConfig) {
    case CONFIG_NONE:
    case CONFIG_TWO_CHANNELS:
        showLines(0, false);
        setFlags({false, false, false, false});
        break;
    case CONFIG_TIMER_COUNTER:
        showLines(3, false);
        setFlags({true, true, false, false});
        break;
    case CONFIG_TIMER_REVERSE:
        showLines(3, false);
        setFlags({true, false, true, false});
        break;
    case CONFIG_COUNTERS_DOSER:
        showLines(2, false);
        setFlags({false, true, false, false});
        break;
    case CONFIG_COUNTER_TOTAL:
        showLines(1, false);
        setFlags({false, true, false, false});
        break;
    case CONFIG_WATTMETER:
        showLines(1, false);
        setFlags({false, false, false, true});
        SetTextIfChanged(IDC_LINE1_LABEL, WATTMETER_LABEL);
        break;
    case CONFIG_FULL:
        showLines(4, false);
        setFlags({true, true, false, true});
        state.hasThermoRow = true;
        SetTextIfChanged(IDC_LINE3_LABEL, WATTMETER_LABEL);
        break;
    default:
        // A configuration the station does not know: show everything the supply may fill in.
        showLines(4, true);
        break;
    }
    for (int id : {IDC_LINE1_LABEL, IDC_LINE2_LABEL, IDC_LINE3_LABEL})
        view.SetFont(id, FontKind::Normal);
}

} // namespace rir
