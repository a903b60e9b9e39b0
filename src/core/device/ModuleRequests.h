// What "Установить" in the module settings dialog sends, and what it writes into the record.
#pragma once

#include "device/DeviceState.h"
#include "device/ModuleSetupValues.h"
#include "device/Ratings.h"
#include "device/Requests.h"

#include <vector>

namespace rir {

// Longest timer the supplies take: 100 hours, and 1000 hours with configuration 9.
inline constexpr int MAX_TIMER_SECONDS = 360000;
inline constexpr int MAX_TIMER_SECONDS_FULL = 3600000;

// One to three FC_EXTENDED requests for the values the dialog returned. The first carries the
// chosen configuration, with CONFIG_CHANGE only when it differs from the one in force (the
// supply then re-identifies); configurations 1, 2, 9 add the timer block, 3 and 4 the counter
// block, 1 a counter request, 2 a reverse request, 9 a counter and a thermometer request.
// Nothing for a configuration code the configuration byte cannot carry (below 0 or above 127:
// an unknown configuration that the dialog could not offer).
std::vector<Request> ModuleSetupRequests(const DeviceState& state, const ModuleSetupValues& values);

// The record fields those requests set, with the values as they were sent. The configuration
// itself is left to the supply's next module-data reply.
void ApplyModuleSetup(DeviceState& state, const ModuleSetupValues& values);

} // namespace rir
