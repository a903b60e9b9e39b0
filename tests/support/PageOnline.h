// Device pages brought to a known state the way replies bring them there: identified with given
// ratings, then the module configuration, then a first status that puts the page online.
#pragma once

#include "device/DevicePage.h"

namespace rir::test {

// A model-2 supply: 39 V and 15 A at scale 100, limits 15 V and 10 A.
struct TestRatings {
    int model = 2;
    int voltMax = 3900;
    int voltScale = 100;
    int currMax = 1500;
    int currScale = 100;
    int voltLimit = 1500;
    int currLimit = 1000;
};

inline void IdentifyPage(DevicePage& page, const TestRatings& r = {}) {
    page.state.model = r.model;
    page.state.voltMax = r.voltMax;
    page.state.voltScale = r.voltScale;
    page.state.currMax = r.currMax;
    page.state.currScale = r.currScale;
    page.state.voltLimit = r.voltLimit;
    page.state.currLimit = r.currLimit;
    page.RefreshView(RefreshCode::Values, PollState::Identified);
}

inline void BringPageOnline(DevicePage& page, int config, int status = 0, const TestRatings& r = {}) {
    IdentifyPage(page, r);
    page.state.moduleConfig = config;
    page.RefreshView(RefreshCode::Layout, PollState::Unknown);
    page.state.status = status;
    ++page.state.measurements; // its measurement came with the status
    page.RefreshView(RefreshCode::Modules, PollState::Complete);
}

} // namespace rir::test
