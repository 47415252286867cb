#include "UiTimer.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTimer>

namespace {

// Whether the clock behind the timer is running.
bool Running(const UiTimer& timer)
{
    const auto* clock = timer.findChild<QTimer*>();
    return clock && clock->isActive();
}

} // namespace

TEST(UiTimerTest, SameValueChangesNothingOtherValueRestarts)
{
    QObject owner;
    UiTimer timer(&owner, 2500, true);
    QSignalSpy restarted(&timer, &UiTimer::restarted);
    EXPECT_TRUE(Running(timer));

    timer.SetInterval(2500);
    timer.SetEnabled(true);
    EXPECT_EQ(restarted.count(), 0) << "setting a value it already has must not restart the count";

    timer.SetInterval(7000);
    EXPECT_EQ(restarted.count(), 1);
    EXPECT_EQ(timer.Interval(), 7000);

    timer.SetEnabled(false);
    EXPECT_FALSE(Running(timer));
    timer.SetEnabled(true);
    EXPECT_EQ(restarted.count(), 2);
    EXPECT_TRUE(Running(timer));
}

TEST(UiTimerTest, DisabledTimerKeepsItsIntervalAndDoesNotRun)
{
    QObject owner;
    UiTimer timer(&owner, 1, false);
    EXPECT_FALSE(Running(timer));
    timer.SetInterval(5);
    EXPECT_FALSE(Running(timer));
    EXPECT_EQ(timer.Interval(), 5);
}

TEST(UiTimerTest, OneMillisecondTimersTickOncePerFrame)
{
    EXPECT_EQ(UiTimer::PeriodFor(1), UiTimer::kFramePeriodMs);
    EXPECT_EQ(UiTimer::PeriodFor(16), 16);
    EXPECT_EQ(UiTimer::PeriodFor(2500), 2500);
}

TEST(UiTimerTest, EachTickIsReportedOnceWhileEnabled)
{
    QObject owner;
    UiTimer timer(&owner, 1, true);
    QSignalSpy ticked(&timer, &UiTimer::ticked);
    timer.Tick();
    timer.Tick();
    EXPECT_EQ(ticked.count(), 2);
    timer.SetEnabled(false);
    timer.Tick();
    EXPECT_EQ(ticked.count(), 2) << "a disabled timer does not tick";
}
