#pragma once

#include "UiTimer.h"

#include <QTimer>

// Takes a UiTimer off the real clock: it still keeps its interval and enabled
// flag and still starts its count anew (`restarted`) as the program asks, but
// only Tick() makes it tick. A display time of a few seconds then never runs
// out in a test, however busy the machine. False if the timer has no clock
// of its own to take away.
inline bool StopTheClock(UiTimer* timer)
{
    auto* clock = timer->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
    if (!clock)
        return false;
    // Blocked rather than stopped: a restart starts the QTimer again.
    clock->blockSignals(true);
    return true;
}

// Takes every timer of `owner` (a popup, a window) off the real clock; false
// if it has none, or one that cannot be stopped.
inline bool StopEveryClock(QObject* owner)
{
    const auto timers = owner->findChildren<UiTimer*>();
    bool stopped = !timers.isEmpty();
    for (UiTimer* timer : timers)
        stopped = StopTheClock(timer) && stopped;
    return stopped;
}
