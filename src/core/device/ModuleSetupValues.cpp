#include "device/ModuleSetupValues.h"

namespace rir {

ModuleSetupValues ModuleSetupValuesFrom(const DeviceState& s) {
    ModuleSetupValues v;
    v.modelCode = s.model;
    v.reverseCapable = s.reverseCapable;
    v.moduleCode = s.moduleConfig;
    v.timerMode = s.timerMode;
    v.timerValue = s.timerValue;
    v.resetOnOff = s.timerResetOnOff != 0;
    v.counterKind = s.counterSelect;
    v.counterMode = s.counterMode & 3; // bit 6 is the reset flag, shown by its own check box
    v.counterValue = s.counterDaily;
    v.units = s.counterUnits;
    v.zeroing = s.counterResetOnOff != 0;
    v.forwardCurrent = s.revFwdCurrent;
    v.forwardTime = s.revFwdTime;
    v.reverseCurrent = s.revBackCurrent;
    v.reverseTime = s.revBackTime;
    v.thermoMode = s.thermoMode;
    v.targetTemperature = s.tempTargetRaw;
    v.temperatureDelta = s.tempDeltaRaw;
    return v;
}

} // namespace rir
