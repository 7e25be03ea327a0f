// Splitter measurement and ratios, on plain rectangles.

#include "toolkit/splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace ruko;

// A dialog 310 wide and 210 high: a tree on the left, two windows on the right,
// a 10-pixel gap between them. `dx`, `dy` is how much the dialog has grown; the
// groups follow it as their anchors say (left 4, right 5).
struct Clayout {
    std::vector<RECT> first;
    std::vector<RECT> second;
    int client_width;
};

Clayout vertical_layout(int dx, int dy = 0)
{
    return Clayout{{RECT{10, 10, 100, 200 + dy}},
                   {RECT{110, 10, 300 + dx, 100}, RECT{120, 110, 290 + dx, 200 + dy}},
                   310 + dx};
}

Csplitter measured_vertical(int dx = 0)
{
    Csplitter s;
    s.vertical = true;
    const Clayout l = vertical_layout(dx);
    EXPECT_TRUE(measure_splitter(s, l.first, l.second, l.client_width));
    return s;
}

TEST(Splitter, BarIsTheGapBetweenTheGroupUnions)
{
    const Clayout l = vertical_layout(0);
    const RECT v = splitter_bar_rect(l.first, l.second, true);
    EXPECT_EQ(100, v.left);
    EXPECT_EQ(10, v.top);
    EXPECT_EQ(110, v.right);
    EXPECT_EQ(200, v.bottom);

    const std::vector<RECT> above{{10, 10, 300, 80}};
    const std::vector<RECT> below{{20, 90, 200, 150}, {210, 88, 290, 200}};
    const RECT h = splitter_bar_rect(above, below, false);
    EXPECT_EQ(20, h.left);
    EXPECT_EQ(80, h.top);
    EXPECT_EQ(290, h.right);
    EXPECT_EQ(88, h.bottom);

    const RECT none = splitter_bar_rect(above, {}, false);
    EXPECT_EQ(0, none.left | none.top | none.right | none.bottom);
}

TEST(Splitter, MeasureSetsLimitsAndRatio)
{
    const Csplitter s = measured_vertical();
    EXPECT_TRUE(s.valid);
    EXPECT_EQ(10, s.thickness);
    EXPECT_EQ(100, s.position);
    EXPECT_EQ(0, s.range_start);
    EXPECT_EQ(310, s.range_end);
    EXPECT_EQ(10 + 16, s.minimum);      // the first group's largest left + 16
    EXPECT_EQ(290 - 10 - 17, s.maximum);  // the second group's smallest right - thickness - 17
    EXPECT_EQ(MulDiv(100000, 100, 310), s.ratio);
}

TEST(Splitter, MeasureFailsWithoutRoomOrGroups)
{
    Csplitter s;
    s.vertical = true;
    s.valid = true;
    // lo + 16 = 26; hi - 10 - 17 = 25: one pixel short.
    EXPECT_FALSE(measure_splitter(s, {{10, 0, 40, 50}}, {{50, 0, 52, 50}}, 100));
    EXPECT_FALSE(s.valid);
    EXPECT_EQ(-1, s.ratio);
    // One more pixel and the bar can sit at exactly one place.
    EXPECT_TRUE(measure_splitter(s, {{10, 0, 40, 50}}, {{50, 0, 53, 50}}, 100));
    EXPECT_EQ(s.minimum, s.maximum);

    s.valid = true;
    EXPECT_FALSE(measure_splitter(s, {}, {{50, 0, 200, 50}}, 100));
    EXPECT_FALSE(s.valid);
}

TEST(Splitter, RatioFromPosition)
{
    const Csplitter s = measured_vertical();  // limits 26..263, range 0..310
    const struct {
        int position;
        int ratio;
    } cases[] = {
        {26, 0}, {10, 0}, {263, 100000}, {400, 100000}, {155, 50000}, {27, MulDiv(100000, 27, 310)},
        {262, MulDiv(100000, 262, 310)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("position " + std::to_string(c.position));
        EXPECT_EQ(c.ratio, splitter_ratio(s, c.position));
    }
}

TEST(Splitter, FullRatioStaysAtTheMaximumAcrossResizes)
{
    Csplitter s = measured_vertical();
    s.ratio = 100000;  // dragged all the way right
    for (const int dx : {0, 50, 400, -40, 7, 0}) {
        SCOPED_TRACE("dx " + std::to_string(dx));
        const Clayout l = vertical_layout(dx, dx / 2);
        ASSERT_TRUE(remeasure_splitter(s, l.first, l.second, l.client_width));
        EXPECT_EQ(290 + dx - 10 - 17, s.maximum);
        EXPECT_EQ(s.maximum, s.position);
        EXPECT_EQ(100000, s.ratio);
    }
}

TEST(Splitter, HalfRatioSitsAtHalfTheClientWidthWithinItsLimits)
{
    Csplitter s = measured_vertical();
    s.ratio = 50000;
    const struct {
        int dx;
        int position;
    } cases[] = {
        {0, 155},     // 310 / 2
        {90, 200},    // 400 / 2
        {91, 201},    // 401 / 2 = 200.5, rounded as MulDiv rounds
        {-100, 105},  // 210 / 2
        {690, 500},   // 1000 / 2
        {0, 155},     // back where it began
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("dx " + std::to_string(c.dx));
        const Clayout l = vertical_layout(c.dx);
        ASSERT_TRUE(remeasure_splitter(s, l.first, l.second, l.client_width));
        EXPECT_EQ(c.position, s.position);
        EXPECT_EQ(50000, s.ratio);
    }
}

TEST(Splitter, HalfRatioClampsToTheMaximum)
{
    // The groups stay where they are while the client area grows to 1000.
    Csplitter s = measured_vertical();
    s.ratio = 50000;
    const Clayout l = vertical_layout(0);
    ASSERT_TRUE(remeasure_splitter(s, l.first, l.second, 1000));
    EXPECT_EQ(263, s.maximum);
    EXPECT_EQ(263, s.position);
    EXPECT_EQ(50000, s.ratio);
}

TEST(Splitter, HalfRatioClampsToTheMinimum)
{
    // One window of the upper group begins low, so half the height is too high.
    Csplitter s;
    s.vertical = false;
    s.ratio = 50000;
    const std::vector<RECT> above{{0, 0, 100, 120}, {0, 90, 100, 120}};
    const std::vector<RECT> below{{0, 130, 100, 300}};
    ASSERT_TRUE(remeasure_splitter(s, above, below, 200));
    EXPECT_EQ(90 + 16, s.minimum);
    EXPECT_EQ(106, s.position);
    EXPECT_EQ(50000, s.ratio);
}

TEST(Splitter, FailedRemeasureKeepsTheRatio)
{
    Csplitter s = measured_vertical();
    s.ratio = 42000;
    EXPECT_FALSE(remeasure_splitter(s, {{10, 0, 40, 50}}, {{50, 0, 52, 50}}, 100));
    EXPECT_EQ(42000, s.ratio);
}

TEST(Splitter, DragPositionFollowsTheCursorWithinLimits)
{
    const Csplitter s = measured_vertical();  // 26..263
    // The drag began with the cursor at screen x 700 and the bar at 100.
    EXPECT_EQ(150, splitter_drag_position(s, 750, 700, 100));
    EXPECT_EQ(60, splitter_drag_position(s, 660, 700, 100));
    EXPECT_EQ(26, splitter_drag_position(s, 100, 700, 100));
    EXPECT_EQ(263, splitter_drag_position(s, 2000, 700, 100));
}

TEST(Splitter, BarContainsItsInsideOnly)
{
    const RECT bar{100, 10, 110, 200};
    const struct {
        POINT p;
        bool inside;
    } cases[] = {
        {{100, 10}, true}, {{109, 199}, true}, {{110, 50}, false},
        {{99, 50}, false}, {{105, 200}, false}, {{105, 9}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.p.x) + "," + std::to_string(c.p.y));
        EXPECT_EQ(c.inside, bar_contains(bar, c.p));
    }
    EXPECT_FALSE(bar_contains(RECT{}, POINT{0, 0}));
}

}  // namespace
