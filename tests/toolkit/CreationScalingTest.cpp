#include "CreationScaling.h"
#include "MulDiv.h"

#include <gtest/gtest.h>

TEST(MulDivTest, RoundsToNearestWithHalvesAwayFromZero)
{
    struct Case { int a, b, c, expected; };
    const Case cases[] = {
        {5, 1, 2, 3},     {-5, 1, 2, -3},   {5, -1, 2, -3},  {7, 1, 2, 4},
        {4, 1, 3, 1},     {5, 1, 3, 2},     {-27, 1280, 1000, -35},
        {2147483647, 2, 2, 2147483647},     {-2147483647 - 1, -2147483647 - 1, -2147483647 - 1, -2147483647 - 1},
        {1, 1, 0, -1},    {2147483647, 2, 1, -1},
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
    int width;
    int workAreaHeight;
    LayoutBox man;
    int manFont;   // scaled from 20 px
    int titleFont; // scaled from 27 px
};

} // namespace

TEST(CreationScalingTest, ScalesTheLayoutByTheScreenWidth)
{
    const ScreenCase cases[] = {
        {800, 400, kMan, 20, 27},                     // the design width: untouched, whatever the height
        {640, 440, {24, 294, 170, 40}, 16, 22},
        {1024, 728, {38, 471, 272, 64}, 26, 35},
        {1366, 728, {51, 628, 362, 86}, 34, 46},
        {1920, 1040, {72, 883, 509, 120}, 48, 65},
    };
    for (const auto& c : cases) {
        const ScaleRatio r = CreationScaling(c.width, c.workAreaHeight);
        EXPECT_EQ(ScaleBox(kMan, r), c.man) << c.width;
        EXPECT_EQ(ScaleFontHeight(20, r), c.manFont) << c.width;
        EXPECT_EQ(ScaleFontHeight(27, r), c.titleFont) << c.width;
    }
    const ScaleRatio wide = CreationScaling(1920, 1040);
    EXPECT_EQ(ScaleBox(kLSub, wide), (LayoutBox{19, 19, 1887, 118}));
    EXPECT_EQ(ScaleBox(kTelaHorIni, wide), (LayoutBox{72, 494, 1802, 257}));
}

TEST(CreationScalingTest, KeepsTheBottomRowOnAWideMonitor)
{
    // 2560 x 1080 with a 40 px taskbar: by the width the buttons would start at
    // 1178, below the screen; the work-area height limits the ratio instead.
    const ScaleRatio r = CreationScaling(2560, 1040);
    EXPECT_EQ(r, (ScaleRatio{1040, kLayoutExtentHeight}));
    const LayoutBox man = ScaleBox(kMan, r);
    EXPECT_LE(man.top + man.height, 1040);
    EXPECT_EQ(man, (LayoutBox{73, 898, 518, 122}));
    // Where the layout fits, the width alone decides, even by a pixel.
    EXPECT_EQ(CreationScaling(1366, 728), (ScaleRatio{1366, 800}));
}

TEST(CreationScalingTest, EditHeightFollowsItsFont)
{
    EXPECT_EQ(EditHeightForFont(16), 29);   // the design's time fields
    EXPECT_EQ(EditHeightForFont(13), 25);   // 640 px wide
    EXPECT_EQ(EditHeightForFont(27), 44);   // 1366 px wide
    EXPECT_EQ(EditHeightForFont(38), 59);   // 1920 px wide
}
