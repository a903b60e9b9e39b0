// A device page's commands with the station's side scripted: requests kept in order, module
// dialogs answered from a list; pages brought online as replies would bring them.
#pragma once

#include "bus/PollList.h"
#include "device/DevicePage.h"

#include "PageOnline.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace rir::test {

using Requests = std::vector<Request>;

// The station's side as the page sees it: requests are kept in order, module dialogs answered
// from a script.
struct RecordingSink : PageCommandSink {
    std::vector<Request> queued;
    std::deque<std::optional<ModuleSetupValues>> answers;
    std::vector<ModuleSetupValues> given;

    bool Enqueue(const Request& r) override {
        EXPECT_TRUE(IsValidCommand(r)) << "the queue would refuse it";
        queued.push_back(r);
        return true;
    }
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues& g) override {
        given.push_back(g);
        if (answers.empty())
            return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

// A model-`model` supply online with 39 V and 15 A ratings at scale 100, limits 15 V and 10 A,
// and the minimum limits identification gives those ratings (0.50 V, 0.15 A).
inline void Online(DevicePage& page, int address, int channel, int model, int config, int status = 0) {
    page.InitDevice(address, channel);
    test::TestRatings r;
    r.model = model;
    test::BringPageOnline(page, config, status, r);
    page.state.voltMin = 50;
    page.state.currMin = 15;
}

// What the Qt page reports while the operator types into an edit that has the focus.
inline void Show(DevicePage& page, int id, const std::string& text) {
    const int end = static_cast<int>(text.size());
    page.SetEditState(id, text, true, {end, end});
}

// Types `keys` one by one as the Qt page does: the filter first, then the edit's new text.
inline std::string Type(DevicePage& page, int id, std::u32string_view keys) {
    std::string text = page.view.text(id);
    for (char32_t k : keys) {
        Show(page, id, text);
        const KeyDecision d = page.FilterEditKey(id, k);
        if (d.accepted && d.character != '\b')
            text += d.character;
    }
    Show(page, id, text);
    return text;
}

} // namespace rir::test
