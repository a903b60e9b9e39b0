#include "device/PageLayout.h"

#include "device/PageControls.h"
#include "device/PageTemplate.h"

#include <gtest/gtest.h>

#include <set>

namespace rir {
namespace {

PixelRect Placed(const PagePlacement& g, int id) {
    for (const ControlPlacement& c : g.controls) {
        if (c.id == id)
            return c.rect;
    }
    ADD_FAILURE() << "control " << id << " not placed";
    return {};
}

TEST(PageLayout, SmallestWindowKeepsTheTemplate) {
    const PagePlacement g = PlacePageControls(0, 0, 0);
    EXPECT_EQ(g.page, (PixelRect{15, 35, PAGE_TEMPLATE_WIDTH, PAGE_TEMPLATE_HEIGHT}));
    EXPECT_EQ(g.controls.size(), 11u);
    for (const ControlPlacement& c : g.controls) {
        const TemplateControl* t = FindTemplateControl(c.id);
        ASSERT_NE(t, nullptr) << c.id;
        EXPECT_EQ(c.rect, t->rect) << c.id;
    }
}

TEST(PageLayout, GrownWindowMovesTheChartCorner) {
    // A 1000 × 600 client area exceeds the smallest layout by 195 × 115.
    const PagePlacement g = PlacePageControls(195, 115, 0);
    EXPECT_EQ(g.page, (PixelRect{15, 35, 968, 438}));
    const PixelRect chart = Placed(g, IDC_CHART);
    EXPECT_EQ(chart.right(), 983 - 15);
    EXPECT_EQ(chart.bottom(), 383 - 35);
    EXPECT_EQ(chart.x, FindTemplateControl(IDC_CHART)->rect.x);
    EXPECT_EQ(chart.y, FindTemplateControl(IDC_CHART)->rect.y);

    struct Case {
        int id, x, y; // main-window client corner at dx = dy = 0
    } cases[] = {
        {IDC_READOUT_VALUES, 401, 272}, {IDC_READOUT_LIMITS, 575, 272},    {IDC_CLEAR_CHART, 300, 272},
        {IDC_DIAGNOSTIC, 300, 300},     {IDC_SERIES_VOLT, 746, 269},       {IDC_SERIES_VOLT_LIMIT, 746, 285},
        {IDC_SERIES_CURR, 746, 301},    {IDC_SERIES_CURR_LIMIT, 746, 317}, {IDC_SERIES_OUTPUT, 746, 333},
    };
    for (const auto& c : cases) {
        const PixelRect r = Placed(g, c.id);
        EXPECT_EQ(r.x, c.x + 195 - 15) << c.id;
        EXPECT_EQ(r.y, c.y + 115 - 35) << c.id;
        EXPECT_EQ(r.width, FindTemplateControl(c.id)->rect.width) << c.id;
        EXPECT_EQ(r.height, FindTemplateControl(c.id)->rect.height) << c.id;
    }
}

TEST(PageLayout, RowsOfTabsPushThePageDownButNotItsBottom) {
    const PagePlacement g = PlacePageControls(0, 0, 20);
    EXPECT_EQ(g.page, (PixelRect{15, 55, 773, 303}));
    EXPECT_EQ(Placed(g, IDC_CHART).bottom(), 268 - 55);
    EXPECT_EQ(Placed(g, IDC_CLEAR_CHART).y, 272 - 55);

    // Far more rows than the page is high: nothing gets a negative size.
    const PagePlacement squeezed = PlacePageControls(0, 0, 1000);
    EXPECT_EQ(squeezed.page.height, 0);
    EXPECT_EQ(Placed(squeezed, IDC_CHART).height, 0);
    EXPECT_GE(Placed(squeezed, IDC_CHART).width, 0);
}

bool Overlap(const PixelRect& a, const PixelRect& b) {
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

TEST(PageTemplate, ControlsFitThePageWithoutOverlapping) {
    std::set<int> ids;
    const auto controls = PageTemplate();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const TemplateControl& a = controls[i];
        if (a.id != IDC_STATIC) {
            EXPECT_TRUE(ids.insert(a.id).second) << "duplicate id " << a.id;
        }
        EXPECT_GE(a.rect.x, 0) << a.text;
        EXPECT_GE(a.rect.y, 0) << a.text;
        EXPECT_LE(a.rect.right(), PAGE_TEMPLATE_WIDTH) << a.text;
        EXPECT_LE(a.rect.bottom(), PAGE_TEMPLATE_HEIGHT) << a.text;
        if (a.kind == ControlKind::GroupBox)
            continue; // group boxes frame other controls by design
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const TemplateControl& b = controls[j];
            if (b.kind != ControlKind::GroupBox) {
                EXPECT_FALSE(Overlap(a.rect, b.rect)) << a.text << " / " << b.text;
            }
        }
    }
    // Every control the page logic addresses exists in the template.
    for (int id : {IDC_DESCRIPTION_GROUP, IDC_OUTPUT_STATE,      IDC_REGULATION,      IDC_VOLT_READING,
                   IDC_CURR_READING,      IDC_LINE1_LABEL,       IDC_LINE1_VALUE,     IDC_LINE2_LABEL,
                   IDC_LINE2_VALUE,       IDC_LINE3_LABEL,       IDC_LINE3_VALUE,     IDC_LINE4_LABEL,
                   IDC_LINE4_VALUE,       IDC_VOLT_EDIT,         IDC_VOLT_UNIT,       IDC_CURR_EDIT,
                   IDC_CURR_UNIT,         IDC_SET_LIMITS,        IDC_OUTPUT_BUTTON,   IDC_MODULE_SETUP,
                   IDC_DOSER_RESTART,     IDC_REMOVE_DEVICE,     IDC_OPEN_PROGRAM,    IDC_PROGRAM_START,
                   IDC_PROGRAM_PAUSE,     IDC_PROGRAM_CANCEL,    IDC_PROGRAM_CAPTION, IDC_CHART,
                   IDC_READOUT_VALUES,    IDC_READOUT_LIMITS,    IDC_SERIES_VOLT,     IDC_SERIES_VOLT_LIMIT,
                   IDC_SERIES_CURR,       IDC_SERIES_CURR_LIMIT, IDC_SERIES_OUTPUT,   IDC_CLEAR_CHART,
                   IDC_DIAGNOSTIC})
        EXPECT_NE(FindTemplateControl(id), nullptr) << id;
    EXPECT_EQ(FindTemplateControl(IDC_STATIC), nullptr);
    EXPECT_EQ(FindTemplateControl(9999), nullptr);
}

} // namespace
} // namespace rir
