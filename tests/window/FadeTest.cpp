#include "WindowFixture.h"

#include <QSignalSpy>

#include "StoppedClock.h"
#include "UiTimer.h"

// The fades are driven tick by tick; the window is created but not shown and
// its timers are off the real clock, so nothing but these ticks moves its
// opacity.
class FadeTest : public WindowFixture
{
protected:
    void SetUp() override { Fresh(); }

    void Fresh()
    {
        delete window_.data();
        window_ = new TAdmFor00(root_.Path());
        EXPECT_TRUE(StopEveryClock(window_));
    }

    // Runs closing ticks until the window closes; returns how many it took.
    int CloseTicks(int limit = 100)
    {
        for (int n = 1; n <= limit; ++n) {
            window_->TempFecha->Tick();
            if (!window_->TempFecha->Enabled())
                return n;
        }
        return -1;
    }
};

TEST_F(FadeTest, FadeInTakesFiftyTicksAndEndsOpaque)
{
    EXPECT_EQ(window_->Opacity.Value(), 0);
    EXPECT_TRUE(window_->Opacity.Applied());
    for (int n = 1; n <= 49; ++n) {
        window_->TemAbre->Tick();
        ASSERT_EQ(window_->Opacity.Value(), 5 * n);
    }
    EXPECT_TRUE(window_->TemAbre->Enabled());
    window_->TemAbre->Tick();
    EXPECT_EQ(window_->Opacity.Value(), 255);
    EXPECT_FALSE(window_->Opacity.Applied());
    EXPECT_FALSE(window_->TemAbre->Enabled());
    EXPECT_DOUBLE_EQ(window_->windowOpacity(), 1.0);
}

TEST_F(FadeTest, FadeOutFromOpaqueTakesFortyOneTicks)
{
    for (int n = 0; n < 50; ++n)
        window_->TemAbre->Tick();
    window_->ManClick(window_->Man);
    EXPECT_TRUE(window_->Opacity.Applied());
    EXPECT_TRUE(window_->TempFecha->Enabled());
    for (int n = 1; n <= 40; ++n) {
        window_->TempFecha->Tick();
        ASSERT_EQ(window_->Opacity.Value(), 255 - 6 * n);
    }
    window_->TempFecha->Tick();
    EXPECT_EQ(window_->Opacity.Value(), 9);
    EXPECT_FALSE(window_->TempFecha->Enabled());
    WaitFor([&] { return window_.isNull(); });
    EXPECT_TRUE(window_.isNull()) << "closing frees the window";
}

TEST_F(FadeTest, ClosingDuringTheFadeIn)
{
    struct Case
    {
        int openingTicks;
        int expectedClosingTicks;
    };
    const Case cases[] = {
        {20, 16}, // from 100: 94, 88, ..., 10, 4
        {2, 1},   // from 10
        {3, 1},   // from 15
        {1, 1},   // from 5: closes at once instead of wrapping to 255
        {0, 1},   // from 0: likewise
    };
    for (const auto& c : cases) {
        Fresh();
        for (int n = 0; n < c.openingTicks; ++n)
            window_->TemAbre->Tick();
        window_->IniciaFechamento();
        EXPECT_EQ(CloseTicks(), c.expectedClosingTicks) << "from " << 5 * c.openingTicks;
        EXPECT_FALSE(window_->TemAbre->Enabled()) << "the first closing tick stops the fade-in";
        EXPECT_LT(window_->Opacity.Value(), 10);
    }
}

TEST_F(FadeTest, OpeningTickBeforeTheFirstClosingTickStillAdds)
{
    for (int n = 0; n < 20; ++n)
        window_->TemAbre->Tick(); // 100
    window_->IniciaFechamento();
    window_->TemAbre->Tick();   // 105
    window_->TempFecha->Tick(); // 99
    EXPECT_EQ(window_->Opacity.Value(), 99);
    EXPECT_FALSE(window_->TemAbre->Enabled());
}

TEST_F(FadeTest, StartingToCloseAgainDoesNotRestartTheFade)
{
    for (int n = 0; n < 50; ++n)
        window_->TemAbre->Tick();
    window_->IniciaFechamento();
    for (int n = 0; n < 10; ++n)
        window_->TempFecha->Tick();
    EXPECT_EQ(window_->Opacity.Value(), 195);
    QSignalSpy restarted(window_->TempFecha, &UiTimer::restarted);
    window_->IniciaFechamento();
    EXPECT_EQ(restarted.count(), 1) << "only the interval starts anew";
    EXPECT_EQ(window_->Opacity.Value(), 195);
    EXPECT_EQ(CloseTicks(), 31);
}
