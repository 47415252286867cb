#include "UiTimer.h"

#include <algorithm>

UiTimer::UiTimer(QObject* owner, int intervalMs, bool enabled)
    : QObject(owner), interval_(intervalMs), enabled_(enabled)
{
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &UiTimer::Tick);
    Restart();
}

void UiTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Restart();
}

void UiTimer::SetInterval(int intervalMs)
{
    // QTimer::setInterval restarts an active timer even for the same value.
    if (intervalMs == interval_)
        return;
    interval_ = intervalMs;
    Restart();
}

void UiTimer::Tick()
{
    if (!enabled_)
        return; // a disabled timer does not tick
    emit ticked();
}

int UiTimer::PeriodFor(int intervalMs)
{
    return std::max(intervalMs, kFramePeriodMs);
}

void UiTimer::Restart()
{
    timer_.stop();
    timer_.setInterval(PeriodFor(interval_));
    if (enabled_ && interval_ > 0) {
        timer_.start();
        emit restarted();
    }
}
