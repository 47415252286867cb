#include "CreationScaling.h"
#include "MulDiv.h"

#include <gtest/gtest.h>

TEST(MulDivTest, RoundsToNearestWithHalvesAwayFromZero)
{
    struct Case
    {
        int a, b, c, expected;
    };
    const Case cases[] = {
        {5, 1, 2, 3},
        {-5, 1, 2, -3},
        {5, -1, 2, -3},
        {7, 1, 2, 4},
        {4, 1, 3, 1},
        {5, 1, 3, 2},
        {-27, 1280, 1000, -35},
        {2147483647, 2, 2, 2147483647},
        {-2147483647 - 1, -2147483647 - 1, -2147483647 - 1, -2147483647 - 1},
        {1, 1, 0, -1},
        {2147483647, 2, 1, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}

namespace {

constexpr LayoutBox kMan{30, 368, 212, 50};
constexpr LayoutBox kLSub{8, 8, 786, 49};
constexpr LayoutBox kTelaHorIni{30, 206, 751, 107};

struct ScreenCase
{
    const char* what;
    int width;
    int workAreaWidth;
    int workAreaHeight;
    LayoutBox man;
    int manFont;   // scaled from 20 px
    int titleFont; // scaled from 27 px
};

// The right edge of the layout: the save button, the hour panel and the bevel all end at 781.
constexpr int kLayoutRight = 781;

} // namespace

TEST(CreationScalingTest, ScalesTheLayoutByTheScreenWidthWithinTheWorkArea)
{
    const ScreenCase cases[] = {
        {"the design width: untouched, whatever the height", 800, 800, 400, kMan, 20, 27},
        {"narrower: shrinks by 0.8", 640, 640, 440, {24, 294, 170, 40}, 16, 22},
        {"1024 with a taskbar", 1024, 1024, 728, {38, 471, 272, 64}, 26, 35},
        {"1366 with a taskbar", 1366, 1366, 728, {51, 628, 362, 86}, 34, 46},
        {"1920 with a taskbar", 1920, 1920, 1040, {72, 883, 509, 120}, 48, 65},
        // Docks at a side: the work-area width over 800 instead of the screen's.
        {"1366 with a 60 px dock", 1366, 1306, 768, {49, 601, 346, 81}, 33, 44},
        {"1920 with a 70 px dock and a 27 px top bar", 1920, 1850, 1053, {69, 851, 491, 116}, 46, 62},
        {"800 with a 60 px dock", 800, 740, 600, {28, 340, 196, 47}, 19, 25},
        // Both mends: the height's ratio, and then the narrower width's where that is smaller still.
        {"2560 x 1080 with a 100 px dock: the height decides", 2560, 2460, 1040, {73, 898, 518, 122}, 49, 66},
        {"2560 x 1080 with a 760 px dock: the width decides", 2560, 1800, 1040, {68, 828, 477, 113}, 45, 61},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ScaleRatio r = CreationScaling(c.width, c.workAreaWidth, c.workAreaHeight);
        EXPECT_EQ(ScaleBox(kMan, r), c.man);
        EXPECT_EQ(ScaleFontHeight(20, r), c.manFont);
        EXPECT_EQ(ScaleFontHeight(27, r), c.titleFont);
        EXPECT_LE(r.Apply(kLayoutRight), c.workAreaWidth) << "nothing cut at the right edge";
        if (c.width != 800) {
            EXPECT_LE(r.Apply(kLayoutExtentHeight), c.workAreaHeight) << "nothing below the work area";
        }
    }
    const ScaleRatio wide = CreationScaling(1920, 1920, 1040);
    EXPECT_EQ(ScaleBox(kLSub, wide), (LayoutBox{19, 19, 1887, 118}));
    EXPECT_EQ(ScaleBox(kTelaHorIni, wide), (LayoutBox{72, 494, 1802, 257}));
}

TEST(CreationScalingTest, AMendTakesTheWorkAreaOverTheDesignSize)
{
    // 2560 x 1080 with a 40 px taskbar: by the width the buttons would start at
    // 1178, below the screen; the work-area height limits the ratio instead.
    const ScaleRatio r = CreationScaling(2560, 2560, 1040);
    EXPECT_EQ(r, (ScaleRatio{1040, kLayoutExtentHeight}));
    const LayoutBox man = ScaleBox(kMan, r);
    EXPECT_LE(man.top + man.height, 1040);
    EXPECT_EQ(man, (LayoutBox{73, 898, 518, 122}));
    // A dock at a side: the work-area width over the design width.
    EXPECT_EQ(CreationScaling(1366, 1306, 768), (ScaleRatio{1306, 800}));
    // Where the layout fits, the width alone decides, even by a pixel.
    EXPECT_EQ(CreationScaling(1366, 1366, 728), (ScaleRatio{1366, 800}));
    // An unknown work area mends nothing.
    EXPECT_EQ(CreationScaling(1366, 0, 0), (ScaleRatio{1366, 800}));
}

TEST(CreationScalingTest, EditHeightFollowsItsFont)
{
    EXPECT_EQ(EditHeightForFont(16), 29); // the design's time fields
    EXPECT_EQ(EditHeightForFont(13), 25); // 640 px wide
    EXPECT_EQ(EditHeightForFont(27), 44); // 1366 px wide
    EXPECT_EQ(EditHeightForFont(38), 59); // 1920 px wide
}
