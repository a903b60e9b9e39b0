// The limit edits: typed text, the unit-label marks, and the selection kept across a rewrite.
#include "device/DevicePage.h"

#include "device/PageControls.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

// A model-4 supply online with 15 V and 10 A limits, both at scale 100.
struct EditScenario {
    EditScenario() {
        page.InitDevice(15, 0);
        page.state.model = 4;
        page.state.voltMax = 4200;
        page.state.voltScale = 100;
        page.state.currMax = 3150;
        page.state.currScale = 100;
        page.state.voltLimit = 1500;
        page.state.currLimit = 1000;
        page.state.moduleConfig = 0;
        page.state.status = 0;
        page.RefreshView(RefreshCode::Values, PollState::Complete);
    }

    // What the Qt page reports while the user types into an edit; the key filter sets the flag.
    void Type(int id, const char* text, TextSelection sel) {
        page.SetEditState(id, text, true, sel);
        (id == IDC_VOLT_EDIT ? page.state.voltEdited : page.state.currEdited) = 1;
    }

    // A measurement reply: new measured values, the same limits.
    void Measure(int voltMeas) {
        page.state.voltMeas = voltMeas;
        page.state.status = 0;
        page.RefreshView(RefreshCode::Values, PollState::Complete);
    }

    // The supply's acknowledgement of a limit write, carrying the limits it took.
    void Acknowledge(int limitsSent, int voltLimit, int currLimit) {
        page.state.limitsSent = limitsSent;
        page.state.voltLimit = voltLimit;
        page.state.currLimit = currLimit;
        page.RefreshView(RefreshCode::WriteAck, PollState::Complete);
    }

    DevicePage page;
};

struct DevicePageEdits : ::testing::Test, EditScenario {};

TEST_F(DevicePageEdits, TypedTextSurvivesMeasurementsAndShowsTheMark) {
    ASSERT_EQ(page.view.text(IDC_VOLT_EDIT), "15.00");
    Type(IDC_VOLT_EDIT, "12", {2, 2});
    for (int v : {1490, 1500, 1510}) {
        Measure(v);
        EXPECT_EQ(page.view.text(IDC_VOLT_EDIT), "12");
    }
    EXPECT_EQ(page.view.text(IDC_VOLT_UNIT), "В*");
    EXPECT_EQ(page.view.text(IDC_CURR_UNIT), "А");
    EXPECT_EQ(page.state.editMarks, 1);
    EXPECT_EQ(page.view.text(IDC_VOLT_READING), "15.10 / 15.00 вольт");

    Acknowledge(1, 1200, 1000);
    EXPECT_EQ(page.view.text(IDC_VOLT_UNIT), "В");
    EXPECT_EQ(page.state.voltEdited, 0);
    EXPECT_EQ(page.state.editMarks, 0);
    EXPECT_EQ(page.state.limitsSent, 0);
    EXPECT_EQ(page.view.text(IDC_VOLT_EDIT), "12.00");
    EXPECT_EQ(page.view.takeSelection(IDC_VOLT_EDIT), (TextSelection{2, 2}));
}

TEST_F(DevicePageEdits, TypedTextSurvivesAWriteOfTheOtherLimit) {
    Type(IDC_VOLT_EDIT, "12", {2, 2});
    Type(IDC_CURR_EDIT, "5", {1, 1});
    Measure(1500);
    EXPECT_EQ(page.view.text(IDC_CURR_UNIT), "А*");
    Acknowledge(2, 1500, 500);
    EXPECT_EQ(page.view.text(IDC_CURR_UNIT), "А");
    EXPECT_EQ(page.view.text(IDC_CURR_EDIT), "5.00");
    EXPECT_EQ(page.view.text(IDC_VOLT_UNIT), "В*");
    EXPECT_EQ(page.view.text(IDC_VOLT_EDIT), "12");
    EXPECT_EQ(page.state.editMarks, 1);
    Acknowledge(3, 1200, 500);
    EXPECT_EQ(page.view.text(IDC_VOLT_UNIT), "В");
    EXPECT_EQ(page.view.text(IDC_VOLT_EDIT), "12.00");
    EXPECT_EQ(page.state.editMarks, 0);
}

TEST_F(DevicePageEdits, SelectionFollowsTheDigitsAcrossTheNewPoint) {
    struct Case {
        const char* typed;
        TextSelection typedSel;
        int limit;
        const char* shown;
        TextSelection restored;
    } cases[] = {
        {"125", {3, 3}, 1250, "12.50", {4, 4}}, // caret behind the 5 stays behind it
        {"125", {1, 3}, 1250, "12.50", {1, 4}},
        {"125", {0, 2}, 1250, "12.50", {0, 2}}, // edges at or before the point stay
        {"1.5", {3, 3}, 150, "1.50", {3, 3}},   // the typed text had a point: nothing moves
        {"12345", {5, 5}, 105, "1.05", {4, 4}}, // kept inside the new text
        {"", {0, 0}, 50, "0.50", {0, 0}},
    };
    for (const auto& c : cases) {
        EditScenario fixture;
        fixture.Type(IDC_VOLT_EDIT, c.typed, c.typedSel);
        fixture.Acknowledge(1, c.limit, 1000);
        EXPECT_EQ(fixture.page.view.text(IDC_VOLT_EDIT), c.shown) << c.typed;
        EXPECT_EQ(fixture.page.view.takeSelection(IDC_VOLT_EDIT), c.restored) << c.typed;
    }
}

TEST_F(DevicePageEdits, FocusedEditIsRewrittenOnlyByAnAcknowledgement) {
    page.SetEditState(IDC_CURR_EDIT, "10.00", true, {0, 5});
    page.state.currLimit = 1100;
    Measure(1500);
    EXPECT_EQ(page.view.text(IDC_CURR_EDIT), "10.00");
    Acknowledge(1, 1500, 1100); // a voltage write: the current edit is rewritten all the same
    EXPECT_EQ(page.view.text(IDC_CURR_EDIT), "11.00");
    EXPECT_EQ(page.view.takeSelection(IDC_CURR_EDIT), (TextSelection{0, 5}));
}

TEST_F(DevicePageEdits, UnfocusedEditFollowsTheSupplyWithoutSelection) {
    page.SetEditState(IDC_VOLT_EDIT, "15.00", false, {5, 5});
    page.state.voltLimit = 1234;
    Measure(1500);
    EXPECT_EQ(page.view.text(IDC_VOLT_EDIT), "12.34");
    EXPECT_FALSE(page.view.takeSelection(IDC_VOLT_EDIT).has_value());
}

TEST_F(DevicePageEdits, AcknowledgedLimitThatWasNotTypedKeepsTheMarksWorking) {
    // Enter in an untouched edit sends its limit: the acknowledgement must not spoil the marks.
    Acknowledge(1, 1500, 1000);
    EXPECT_EQ(page.state.editMarks, 0);
    Acknowledge(2, 1500, 1000);
    EXPECT_EQ(page.state.editMarks, 0);
    Type(IDC_VOLT_EDIT, "1", {1, 1});
    Type(IDC_CURR_EDIT, "2", {1, 1});
    Measure(1500);
    EXPECT_EQ(page.view.text(IDC_VOLT_UNIT), "В*");
    EXPECT_EQ(page.view.text(IDC_CURR_UNIT), "А*");
    EXPECT_EQ(page.state.editMarks, 3);
}

TEST_F(DevicePageEdits, OtherControlsIgnoreEditState) {
    page.view.takeChanged();
    page.SetEditState(IDC_VOLT_READING, "typed", true, {0, 1});
    EXPECT_EQ(page.view.text(IDC_VOLT_READING), "0.00 / 15.00 вольт");
    page.SetEditState(IDC_VOLT_EDIT, "1", true, {1, 1});
    EXPECT_TRUE(page.view.takeChanged().empty()); // typed text is the widget's already
}

} // namespace
} // namespace rir
