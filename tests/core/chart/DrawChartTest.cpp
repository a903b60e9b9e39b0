#include "ChartGeometry.h"
#include "ChartRig.h"
#include "SceneQuery.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

using namespace chartrig;

using namespace test::templatechart;

struct DrawChartTest : ::testing::Test {
    DrawChartTest() {
        page.repaints = &repaints;
        page.stampClock = [] { return StampTime{}; };
        Identify(page);
    }
    ChartDrawing Draw(int w = W, int h = H) const { return DrawChart(InputOf(page, w, h)); }

    // A supply at 15 V / 10 A limits, measuring 12 V and 8 A under voltage regulation.
    void Supply(bool on = true, bool voltRegulation = true) {
        page.state.voltLimit = 1500;
        page.state.currLimit = 1000;
        page.state.voltMeas = 1200;
        page.state.currMeas = 800;
        page.state.outputOn = on;
        page.state.voltRegulation = voltRegulation;
    }
    void Record(int seconds) {
        for (int i = 0; i < seconds; ++i)
            Tick(page);
    }

    RepaintCounter repaints;
    DevicePage page;
};

// What a page without data shows: the white frame, the three axes with their arrowheads and the
// four axis texts, for any chart size.
TEST_F(DrawChartTest, IdlePictureAtAnySize) {
    for (const auto& [w, h] : {std::pair{488, 214}, {1000, 300}, {300, 160}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        const ChartDrawing d = Draw(w, h);
        const int b = h - 26;
        const int r = w - 30;
        EXPECT_EQ(d.scene.width, w);
        EXPECT_EQ(d.scene.height, h);
        ASSERT_EQ(d.scene.items.size(), 14u);

        const auto* frame = std::get_if<ChartRectangle>(&d.scene.items[0]);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->pen, ChartPen::Black);
        EXPECT_EQ((std::vector{frame->left, frame->top, frame->right, frame->bottom}),
                  (std::vector{0, 0, w - 1, h}));

        const struct {
            ChartPen pen;
            ChartPoint from, to;
        } lines[] = {
            {ChartPen::VoltAxis, {25, b}, {25, 25}},         {ChartPen::VoltAxis, {25, 25}, {22, 30}},
            {ChartPen::VoltAxis, {25, 25}, {28, 30}},        {ChartPen::Black, {25, b}, {w - 18, b}},
            {ChartPen::Black, {w - 18, b}, {w - 23, b - 3}}, {ChartPen::Black, {w - 18, b}, {w - 23, b + 3}},
            {ChartPen::CurrAxis, {r, b}, {r, 25}},           {ChartPen::CurrAxis, {r, 25}, {r - 3, 30}},
            {ChartPen::CurrAxis, {r, 25}, {r + 3, 30}},
        };
        for (std::size_t i = 0; i < std::size(lines); ++i) {
            const auto* l = std::get_if<ChartLine>(&d.scene.items[1 + i]);
            ASSERT_NE(l, nullptr) << i;
            EXPECT_EQ(l->pen, lines[i].pen) << i;
            EXPECT_EQ(l->from, lines[i].from) << i;
            EXPECT_EQ(l->to, lines[i].to) << i;
        }

        const struct {
            const char* text;
            Rgb colour;
            ChartPoint at;
        } texts[] = {
            {"0", COLOUR_BLACK, {19, b + 3}},
            {"Время, с", COLOUR_BLACK, {w - 53, b + 3}},
            {"Напряжение, В", COLOUR_GREEN, {10, 10}},
            {"Ток, А", COLOUR_RED, {w - 45, 10}},
        };
        for (std::size_t i = 0; i < std::size(texts); ++i) {
            const auto* t = std::get_if<ChartText>(&d.scene.items[10 + i]);
            ASSERT_NE(t, nullptr) << i;
            EXPECT_EQ(t->text, texts[i].text);
            EXPECT_EQ(t->colour, texts[i].colour) << texts[i].text;
            EXPECT_EQ(t->at, texts[i].at) << texts[i].text;
        }
        // The idle picture decides nothing for the page.
        EXPECT_FALSE(d.splitView);
        EXPECT_FALSE(d.minutesStep);
        EXPECT_FALSE(d.readouts);
    }
}

TEST_F(DrawChartTest, PenTable) {
    const struct {
        ChartPen pen;
        PenStyle style;
    } table[] = {
        {ChartPen::Black, {false, 1, COLOUR_BLACK}},          {ChartPen::VoltAxis, {false, 1, COLOUR_GREEN}},
        {ChartPen::CurrAxis, {false, 1, COLOUR_RED}},         {ChartPen::VoltLimit, {true, 1, COLOUR_GREEN}},
        {ChartPen::CurrLimit, {true, 1, COLOUR_RED}},         {ChartPen::Volt, {false, 1, COLOUR_GREEN}},
        {ChartPen::VoltEmphasised, {false, 2, COLOUR_GREEN}}, {ChartPen::Curr, {false, 1, COLOUR_RED}},
        {ChartPen::CurrEmphasised, {false, 2, COLOUR_RED}},   {ChartPen::Progress, {false, 2, COLOUR_BLACK}},
        {ChartPen::VoltBand, {false, 2, COLOUR_GREEN}},       {ChartPen::CurrBand, {false, 2, COLOUR_RED}},
        {ChartPen::Cursor, {true, 1, COLOUR_BLACK}},
    };
    static_assert(std::size(table) == CHART_PEN_COUNT);
    for (const auto& row : table)
        EXPECT_EQ(PenStyleOf(row.pen), row.style) << static_cast<int>(row.pen);
}

// The maximum texts: green volts with one decimal at the left, red amperes at the right with
// one decimal below 100 A and none from 100 A on; a quantity whose two switches are off has no
// scale and no text.
TEST_F(DrawChartTest, ScalesAndMaximumTexts) {
    const struct {
        int currScale;
        int voltLimitMax, voltMax, currLimitMax, currMax;
        bool voltSwitches, currSwitches;
        const char* voltText; // nullptr: none drawn
        const char* currText;
    } table[] = {
        {10, 1500, 1200, 999, 800, true, true, "15.0", "99.9"},
        {10, 1500, 1200, 1000, 800, true, true, "15.0", "100"},
        {10, 1500, 1200, 800, 1001, true, true, "15.0", "100"}, // measured above the limit wins
        {100, 1500, 1601, 9990, 800, true, true, "16.0", "99.9"},
        {100, 1500, 1200, 12345, 800, true, true, "15.0", "123"},
        {100, 1500, 1200, 1000, 800, false, true, nullptr, "10.0"},
        {100, 1500, 1200, 1000, 800, true, false, "15.0", nullptr},
        {100, 0, 0, 0, 0, true, true, nullptr, nullptr},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << row.currLimitMax << " " << row.voltSwitches << row.currSwitches);
        Identify(page, 100, row.currScale);
        BeginRecording(page);
        page.secondsRing.assign(RING, ChartSample());
        page.chart.voltLimitMax = row.voltLimitMax;
        page.chart.voltMax = row.voltMax;
        page.chart.currLimitMax = row.currLimitMax;
        page.chart.currMax = row.currMax;
        page.series.SetAll(true);
        page.series.voltMeas = page.series.voltLimit = row.voltSwitches;
        page.series.currMeas = page.series.currLimit = row.currSwitches;
        const ChartScene s = Draw().scene;

        std::vector<const ChartText*> green, red;
        for (const ChartText* t : scene::All<ChartText>(s)) {
            if (t->colour == COLOUR_GREEN && t->at.x == 3)
                green.push_back(t);
            if (t->colour == COLOUR_RED && t->at.x == R + 4)
                red.push_back(t);
        }
        ASSERT_EQ(green.size(), row.voltText ? 1u : 0u);
        ASSERT_EQ(red.size(), row.currText ? 1u : 0u);
        if (row.voltText) {
            EXPECT_EQ(green[0]->text, row.voltText);
        }
        if (row.currText) {
            EXPECT_EQ(red[0]->text, row.currText);
        }
    }
}

// Full scale lies at y = 125 for the voltage and y = 35 for the current; the maximum texts sit
// 7 pixels above. (Maxima chosen so the scales are exact binary fractions.)
TEST_F(DrawChartTest, FullScaleHeights) {
    BeginRecording(page);
    page.secondsRing.assign(RING, ChartSample());
    page.chart.voltLimitMax = (B - 125) * 16; // 1008
    page.chart.currLimitMax = (B - 35) * 8;   // 1224
    for (ChartSample& e : page.secondsRing) {
        e.voltLimit = 1008;
        e.currLimit = 1224;
    }
    page.chart.elapsedSeconds = 179;
    const ChartScene s = Draw().scene;
    EXPECT_EQ(scene::Text(s, "10.1")->at, (ChartPoint{3, 118}));
    EXPECT_EQ(scene::Text(s, "12.2")->at, (ChartPoint{R + 4, 28}));
    const auto volt = scene::WithPen<ChartStepLine>(s, ChartPen::VoltLimit);
    const auto curr = scene::WithPen<ChartStepLine>(s, ChartPen::CurrLimit);
    ASSERT_EQ(volt.size(), 1u);
    ASSERT_EQ(curr.size(), 1u);
    EXPECT_EQ(volt[0]->points.front().y, 125);
    EXPECT_EQ(curr[0]->points.front().y, 35);
}

TEST_F(DrawChartTest, RecordingFillsTheAxisFromTheLeft) {
    Supply();
    StartRecording(page);
    Record(6);
    const ChartDrawing d = Draw();
    EXPECT_EQ(d.splitView, false);
    // 180 prefilled seconds give 180 ticks over the whole axis.
    const std::vector<int> ticks = scene::TickXs(d.scene, B);
    ASSERT_EQ(ticks.size(), 180u);
    const double xs = (R - 25) / 180.0;
    EXPECT_EQ(ticks.front(), 25);
    EXPECT_EQ(ticks[100], static_cast<int>(100 * xs + 25));
    EXPECT_EQ(ticks.back(), static_cast<int>(179 * xs + 25));
    // Limits and output so far: one point per recorded second and the present one.
    for (ChartPen pen : {ChartPen::CurrLimit, ChartPen::VoltLimit, ChartPen::Black}) {
        const auto lines = scene::WithPen<ChartStepLine>(d.scene, pen);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0]->points.size(), 7u);
    }
    const ChartStepLine* output = scene::WithPen<ChartStepLine>(d.scene, ChartPen::Black)[0];
    EXPECT_EQ(output->points[0].y, B - 14);
    // Progress bar to the latest sample.
    const auto progress = scene::OnlyLine(d.scene, ChartPen::Progress);
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->from, (ChartPoint{25, B + 19}));
    EXPECT_EQ(progress->to, (ChartPoint{static_cast<int>(6 * xs + 25), B + 19}));
    // The cursor follows the latest sample.
    const auto cursor = scene::OnlyLine(d.scene, ChartPen::Cursor);
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->from, (ChartPoint{static_cast<int>(6 * xs + 25), B}));
    EXPECT_EQ(cursor->to.y, 25);
    EXPECT_TRUE(d.readouts);
}

// The 180th sample completes the fourth minute entry: the chart splits into minutes at the left
// and the last 60 seconds at the right.
TEST_F(DrawChartTest, TheHundredAndEightiethSampleSplitsTheView) {
    Supply();
    StartRecording(page);
    Record(179);
    ASSERT_EQ(page.minutesList.size(), 3u);
    ChartDrawing d = Draw();
    EXPECT_EQ(d.splitView, false);
    EXPECT_EQ(scene::Text(d.scene, "Минуты"), nullptr);
    EXPECT_EQ(scene::TickXs(d.scene, B).size(), 180u);

    Tick(page);
    ASSERT_EQ(page.minutesList.size(), 4u);
    d = Draw();
    EXPECT_EQ(d.splitView, true);
    EXPECT_EQ(d.minutesStep, 1);
    ASSERT_NE(scene::Text(d.scene, "Минуты"), nullptr);
    EXPECT_EQ(scene::Text(d.scene, "Минуты")->at, (ChartPoint{MID - 70, 10}));
    EXPECT_EQ(scene::Text(d.scene, "последние 60 секунд")->at, (ChartPoint{MID + 30, 10}));
    bool divider = false;
    for (const ChartLine* l : scene::WithPen<ChartLine>(d.scene, ChartPen::Black))
        divider = divider || (l->from == ChartPoint{MID, B} && l->to == ChartPoint{MID, 15});
    EXPECT_TRUE(divider);

    // 60 seconds from the divider, then 4 minute ticks at the left.
    const std::vector<int> ticks = scene::TickXs(d.scene, B);
    ASSERT_EQ(ticks.size(), 64u);
    EXPECT_EQ(ticks[0], MID);
    const double ms = (MID - 25) / 3.0;
    EXPECT_EQ((std::vector<int>(ticks.begin() + 60, ticks.end())),
              (std::vector<int>{25, static_cast<int>(ms + 25), static_cast<int>(2 * ms + 25), MID}));
    // The window is the last minute: ring entries 121 .. 180 mod 180, times 121 .. 180.
    EXPECT_EQ(ticks[59], static_cast<int>(59 * ((R - MID) / 60.0) + MID));
    const auto progress = scene::WithPen<ChartLine>(d.scene, ChartPen::Progress);
    ASSERT_EQ(progress.size(), 2u);
    EXPECT_EQ(progress[0]->to.x, static_cast<int>(59 * ((R - MID) / 60.0) + MID));
    EXPECT_EQ(progress[1]->to.x, MID); // the minutes' bar of a recording runs to the divider
}

// Segments into a sample of the regulated quantity are 2 pixels wide when the sample before had
// the output on (whether this one is on or off), 1 pixel otherwise; the band follows the same
// stretches in the regulated quantity's colour.
TEST_F(DrawChartTest, EmphasisedPenAfterAnOnSample) {
    for (const bool voltRegulation : {true, false}) {
        SCOPED_TRACE(voltRegulation ? "voltage regulation" : "current regulation");
        DevicePage fresh;
        fresh.repaints = &repaints;
        page.state = fresh.state;
        page.chart = fresh.chart; // as clearing the chart leaves it
        Identify(page);
        Supply(true, voltRegulation);
        StartRecording(page);
        page.secondsRing[0].voltRegulation = voltRegulation;
        // Seconds 1..3 on, 4 and 5 off, 6 on.
        for (const bool on : {true, true, true, false, false, true}) {
            page.state.outputOn = on;
            Tick(page);
        }
        const ChartScene s = Draw().scene;
        const ChartPen bold = voltRegulation ? ChartPen::VoltEmphasised : ChartPen::CurrEmphasised;
        const ChartPen plain = voltRegulation ? ChartPen::Volt : ChartPen::Curr;
        const ChartPen other = voltRegulation ? ChartPen::Curr : ChartPen::Volt;
        const ChartPen band = voltRegulation ? ChartPen::VoltBand : ChartPen::CurrBand;
        const std::vector<ChartPen> expected = {bold, bold, bold, bold, plain, plain};

        const auto regulated = scene::PolylineSegments(s, {bold, plain});
        ASSERT_EQ(regulated.size(), expected.size());
        const double xs = (R - 25) / 180.0;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(regulated[i].pen, expected[i]) << "into second " << i + 1;
            EXPECT_EQ(regulated[i].to.x, static_cast<int>((i + 1) * xs + 25));
        }
        // The quantity that is not regulated keeps the plain pen throughout.
        const ChartPen otherBold = voltRegulation ? ChartPen::CurrEmphasised : ChartPen::VoltEmphasised;
        EXPECT_EQ(scene::PolylineSegments(s, {other}).size(), 6u);
        EXPECT_TRUE(scene::PolylineSegments(s, {otherBold}).empty());

        // Band: from second 0 to 4 (the off second 4 still closes the on stretch), not beyond.
        const auto bands = scene::PolylineSegments(s, {ChartPen::VoltBand, ChartPen::CurrBand});
        ASSERT_EQ(bands.size(), 4u);
        for (const auto& seg : bands) {
            EXPECT_EQ(seg.pen, band);
            EXPECT_EQ(seg.from.y, B + 22);
        }
        EXPECT_EQ(bands.front().from.x, 25);
        EXPECT_EQ(bands.back().to.x, static_cast<int>(4 * xs + 25));
    }
}

} // namespace
} // namespace rir
