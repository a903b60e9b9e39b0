#include "view/ViewState.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

TEST(ViewState, UnknownIdsReadAsDefaultControl) {
    ViewState v;
    EXPECT_EQ(v.text(4711), "");
    EXPECT_TRUE(v.shown(4711));
    EXPECT_TRUE(v.enabled(4711));
    EXPECT_FALSE(v.at(4711).checked);
    EXPECT_EQ(v.font(4711), FontKind::Normal);
    EXPECT_FALSE(v.colour(4711).has_value());
    EXPECT_TRUE(v.menuEnabled(32792));
    EXPECT_FALSE(v.menuChecked(32792));
    EXPECT_TRUE(v.takeChanged().empty());
}

TEST(ViewState, SetTextIfChangedReportsOnlyRealChanges) {
    ViewState v;
    EXPECT_TRUE(v.SetTextIfChanged(1020, "1:02:05"));
    EXPECT_EQ(v.takeChanged(), std::vector<int>{1020});
    EXPECT_FALSE(v.SetTextIfChanged(1020, "1:02:05"));
    EXPECT_TRUE(v.takeChanged().empty());
    EXPECT_TRUE(v.SetTextIfChanged(1020, "1:02:06"));
    EXPECT_EQ(v.text(1020), "1:02:06");
    // An empty text on an unknown control is no change: the control already reads empty.
    EXPECT_FALSE(v.SetTextIfChanged(1036, ""));
}

TEST(ViewState, EachPropertyMarksOnlyOnChange) {
    struct Case {
        const char* name;
        bool (*set)(ViewState&, int);
    } cases[] = {
        {"shown", [](ViewState& v, int id) { return v.SetShown(id, false); }},
        {"enabled", [](ViewState& v, int id) { return v.SetEnabled(id, false); }},
        {"checked", [](ViewState& v, int id) { return v.SetChecked(id, true); }},
        {"font", [](ViewState& v, int id) { return v.SetFont(id, FontKind::Bold); }},
        {"colour", [](ViewState& v, int id) { return v.SetColour(id, COLOUR_RED); }},
    };
    for (const auto& c : cases) {
        ViewState v;
        EXPECT_TRUE(c.set(v, 1018)) << c.name;
        EXPECT_EQ(v.takeChanged(), std::vector<int>{1018}) << c.name;
        EXPECT_FALSE(c.set(v, 1018)) << c.name;
        EXPECT_TRUE(v.takeChanged().empty()) << c.name;
    }
    // Writing the default value to a fresh control changes nothing either.
    ViewState v;
    EXPECT_FALSE(v.SetShown(1, true));
    EXPECT_FALSE(v.SetEnabled(1, true));
    EXPECT_FALSE(v.SetChecked(1, false));
    EXPECT_FALSE(v.SetFont(1, FontKind::Normal));
    EXPECT_FALSE(v.SetColour(1, std::nullopt));
    EXPECT_TRUE(v.takeChanged().empty());
}

TEST(ViewState, ColourDistinguishesValues) {
    ViewState v;
    v.SetColour(1018, COLOUR_GREEN);
    EXPECT_TRUE(v.SetColour(1018, COLOUR_RED));
    EXPECT_EQ(v.colour(1018), COLOUR_RED);
    EXPECT_TRUE(v.SetColour(1018, std::nullopt));
    EXPECT_FALSE(v.colour(1018).has_value());
}

TEST(ViewState, TakeChangedIsSortedUniqueAndDrains) {
    ViewState v;
    v.SetTextIfChanged(1055, "a");
    v.SetEnabled(1009, false);
    v.SetTextIfChanged(1055, "b");
    v.SetFont(1019, FontKind::Underlined);
    EXPECT_EQ(v.takeChanged(), (std::vector<int>{1009, 1019, 1055}));
    EXPECT_TRUE(v.takeChanged().empty());
}

TEST(ViewState, WidgetTextIsStoredWithoutMarking) {
    ViewState v;
    v.SetTextIfChanged(1009, "15.00");
    v.takeChanged();
    v.NoteWidgetText(1009, "12");
    EXPECT_EQ(v.text(1009), "12");
    EXPECT_TRUE(v.takeChanged().empty());
    // The logic's next text is compared with what the widget holds.
    EXPECT_TRUE(v.SetTextIfChanged(1009, "15.00"));
}

TEST(ViewState, WidgetCheckIsStoredWithoutMarking) {
    ViewState v;
    v.SetChecked(1043, true);
    v.takeChanged();
    v.NoteWidgetChecked(1043, false); // the user unchecked the box
    EXPECT_FALSE(v.checked(1043));
    EXPECT_TRUE(v.takeChanged().empty());
    EXPECT_TRUE(v.SetChecked(1043, true)); // so checking it again from the logic reaches the box
}

TEST(ViewState, SelectionIsHandedOverOnce) {
    ViewState v;
    EXPECT_FALSE(v.takeSelection(1009).has_value());
    v.SetSelection(1009, {1, 3});
    EXPECT_EQ(v.takeChanged(), std::vector<int>{1009});
    EXPECT_EQ(v.takeSelection(1009), (TextSelection{1, 3}));
    EXPECT_FALSE(v.takeSelection(1009).has_value());
}

TEST(ViewState, MenuItemsAreSeparateFromControls) {
    ViewState v;
    EXPECT_TRUE(v.SetMenuEnabled(32792, false));
    EXPECT_FALSE(v.SetMenuEnabled(32792, false));
    EXPECT_TRUE(v.SetMenuChecked(32791, true));
    EXPECT_FALSE(v.menuEnabled(32792));
    EXPECT_TRUE(v.menuChecked(32791));
    EXPECT_TRUE(v.enabled(32792)); // the control table is untouched
    EXPECT_TRUE(v.takeChanged().empty());
    EXPECT_EQ(v.takeMenuChanged(), (std::vector<int>{32791, 32792}));
    EXPECT_TRUE(v.takeMenuChanged().empty());
}

} // namespace
} // namespace rir
