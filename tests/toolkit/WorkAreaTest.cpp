#include "WorkArea.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

namespace {

// The screen of the two-monitor desktop: A 1366x768 at 0,0 and B 1920x1080
// right of it, on one X screen 3286x1080.
const QSize kRoot(3286, 1080);
const QRect kA(0, 0, 1366, 768);
const QRect kB(1366, 0, 1920, 1080);

// A panel along the bottom of the rectangle `panel`, as it reserves it.
Strut BottomPanel(const QRect& panel)
{
    Strut s;
    s.bottom = kRoot.height() - panel.top();
    s.bottomStartX = panel.left();
    s.bottomEndX = panel.right();
    return s;
}

Strut TopPanel(const QRect& panel)
{
    Strut s;
    s.top = panel.bottom() + 1;
    s.topStartX = panel.left();
    s.topEndX = panel.right();
    return s;
}

Strut LeftDock(const QRect& dock)
{
    Strut s;
    s.left = dock.right() + 1;
    s.leftStartY = dock.top();
    s.leftEndY = dock.bottom();
    return s;
}

Strut RightDock(const QRect& dock)
{
    Strut s;
    s.right = kRoot.width() - dock.left();
    s.rightStartY = dock.top();
    s.rightEndY = dock.bottom();
    return s;
}

struct Case
{
    const char* what;
    QRect monitor;
    std::vector<Strut> struts;
    QRect expected;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.what;
}

class MonitorLessStrutsTest : public testing::TestWithParam<Case>
{};

TEST_P(MonitorLessStrutsTest, LeavesWhatNoDockReserves)
{
    const Case& c = GetParam();
    EXPECT_EQ(MonitorLessStruts(c.monitor, kRoot, c.struts), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Docks, MonitorLessStrutsTest,
    testing::Values(
        Case{"no dock", kA, {}, kA},
        // The panel at the foot of A is far above the foot of the X screen:
        // its strut is measured from there, 1080 - 738 = 342 rows.
        Case{"panel at the foot of the primary", kA, {BottomPanel({0, 738, 1366, 30})}, {0, 0, 1366, 738}},
        Case{"the same panel seen from the other monitor", kB, {BottomPanel({0, 738, 1366, 30})}, kB},
        Case{"panel at the foot of the second monitor",
             kB,
             {BottomPanel({1366, 1040, 1920, 40})},
             {1366, 0, 1920, 1040}},
        Case{"top bar across both", kA, {TopPanel({0, 0, 3286, 27})}, {0, 27, 1366, 741}},
        Case{"left dock on the primary", kA, {LeftDock({0, 0, 60, 768})}, {60, 0, 1306, 768}},
        Case{"right dock on the second", kB, {RightDock({3236, 0, 50, 1080})}, {1366, 0, 1870, 1080}},
        // A dock on the right edge of the X screen but beside B, not A.
        Case{"right dock elsewhere", kA, {RightDock({3236, 0, 50, 1080})}, kA},
        Case{"two panels on one monitor",
             kA,
             {TopPanel({0, 0, 1366, 24}), BottomPanel({0, 728, 1366, 40})},
             {0, 24, 1366, 704}},
        // Two docks on one edge: the thicker one wins.
        Case{"two docks on one edge", kA, {LeftDock({0, 0, 40, 768}), LeftDock({0, 100, 70, 200})}, {70, 0, 1296, 768}},
        // The older four-value form reserves the whole edge of the X screen.
        Case{"whole-edge strut", kA, {Strut::WholeEdges(0, 0, 0, 342, kRoot)}, {0, 0, 1366, 738}},
        Case{"a dock over the whole monitor", kA, {LeftDock({0, 0, 1366, 768})}, kA}));

} // namespace

namespace {

struct ScaleCase
{
    const char* what;
    QRect device;
    QPoint origin;
    double ratio;
    QRect expected;
};

void PrintTo(const ScaleCase& c, std::ostream* os)
{
    *os << c.what;
}

class DeviceToLogicalTest : public testing::TestWithParam<ScaleCase>
{};

// Qt draws a logical rectangle at origin + (p - origin) x ratio: what it
// draws over the result must lie inside the device rectangle, as close to its
// edges as whole logical pixels allow.
TEST_P(DeviceToLogicalTest, StaysInsideWhatTheDesktopLeaves)
{
    const ScaleCase& c = GetParam();
    const QRect logical = DeviceToLogical(c.device, c.origin, c.ratio);
    EXPECT_EQ(logical, c.expected);
    const auto drawn = [&](int at, int from) { return from + static_cast<int>(std::lround((at - from) * c.ratio)); };
    const int left = drawn(logical.left(), c.origin.x());
    const int top = drawn(logical.top(), c.origin.y());
    const int right = drawn(logical.left() + logical.width(), c.origin.x());
    const int bottom = drawn(logical.top() + logical.height(), c.origin.y());
    EXPECT_GE(left, c.device.left());
    EXPECT_GE(top, c.device.top());
    EXPECT_LE(right, c.device.left() + c.device.width());
    EXPECT_LE(bottom, c.device.top() + c.device.height());
}

INSTANTIATE_TEST_SUITE_P(
    Scales, DeviceToLogicalTest,
    testing::Values(ScaleCase{"unscaled", {0, 0, 1366, 738}, {0, 0}, 1.0, {0, 0, 1366, 738}},
                    // 1366 / 1.5 = 910.67: 911 would be drawn 1367 wide, over the next monitor.
                    ScaleCase{"1.5, a dock at the foot", {0, 0, 1366, 738}, {0, 0}, 1.5, {0, 0, 910, 492}},
                    ScaleCase{"1.5, a bar on top", {0, 27, 1366, 741}, {0, 0}, 1.5, {0, 18, 910, 494}},
                    // A monitor right of another keeps its corner; only offsets in it scale.
                    ScaleCase{
                        "2, second monitor, left dock", {1426, 0, 1860, 1080}, {1366, 0}, 2.0, {1396, 0, 930, 540}},
                    ScaleCase{"1.25, odd offsets", {0, 31, 1920, 1049}, {0, 0}, 1.25, {0, 25, 1536, 839}}));

} // namespace
