// Everything the station knows about one supply, in the supply's own raw units.
#pragma once

namespace rir {

struct DeviceState {
    int model = 0;
    bool outputOn = false;
    bool voltRegulation = false;
    bool hasTimerRow = false;
    bool hasCounterRow = false;
    bool hasReverseRow = false;
    bool hasWattRow = false;
    bool channelBActive = false;
    bool hasThermoRow = false;
    bool online = false;
    bool reversePhase = true;
    int wattRaw = 0;
    int tempRaw = 0;       // tenths of a degree plus 2000
    int thermoMode = 0;    // bits 0..2 mode, bit 7 relay on
    int tempTargetRaw = 0; // tenths of a degree plus 2000
    int tempDeltaRaw = 0;  // tenths of a degree
    int moduleConfig = -1; // -1: not yet known
    int voltEdited = 0;
    int currEdited = 0;
    int counterTotal = 0;
    int counterDaily = 0;
    int counterMode = 0;
    int counterUnits = 0; // 0 ampere-hours, 1 ampere-minutes, 2 watt-hours
    bool doseActive = false;
    bool reverseCapable = false;
    bool current3Dec = false;
    int counterSelect = 0;
    int timerMode = 0;
    int timerValue = 0;
    int timerResetOnOff = 1;
    int timerNegative = 0;
    int counterResetOnOff = 0;
    int revFwdCurrent = 0;
    int revBackCurrent = 0;
    int revFwdTime = 0;
    int revBackTime = 0;
    int revFwdTimeInitial = 0;
    int revBackTimeInitial = 0;
    int limitsSent = 0;
    int editMarks = 0;
    int voltMeas = 0;
    int voltLimit = 0;
    int currMeas = 0;
    int currLimit = 0;
    // Measurements taken (replies and second-channel records), counted round: the page tells
    // from a change that a fresh one came.
    unsigned measurements = 0;
    int voltMax = 0;
    int currMax = 0;
    int voltMin = 0;
    int currMin = 0;
    int voltScale = 1;
    int currScale = 1;
    int status = -1; // -1 once applied to the page
    int address = 0;
    int channel = 0;
    int firstSampleCountdown = 0;
};

// The record of a freshly bound page.
DeviceState MakeDeviceState(int address, int channel);

} // namespace rir
