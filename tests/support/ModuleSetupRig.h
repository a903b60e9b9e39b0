// The module settings dialog opened with a model's configuration and plain values.
#pragma once

#include "device/ModuleSetup.h"
#include "device/Ratings.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace rir::test {

inline ModuleSetupValues Given(int model, int code) {
    ModuleSetupValues v;
    v.modelCode = model;
    v.moduleCode = code;
    v.reverseCapable = model == MODEL_PROF_REVERSE;
    v.timerValue = 125;
    v.counterValue = 40;
    v.targetTemperature = 2255;
    v.temperatureDelta = 15;
    return v;
}

} // namespace rir::test
