#pragma once

#include <QObject>
#include <QTimer>

// A timer with an interval and an enabled flag, as the windows of this tool
// expect it: changing the interval of a running timer, or disabling and
// enabling it, restarts its count; setting either to the value it already has
// changes nothing. Ticks arrive on the UI thread between other events.
class UiTimer : public QObject
{
    Q_OBJECT
public:
    // A timer that asks for 1 ms ticks as often as the desktop delivers timer
    // events; the home desktop of this design delivers them about once a
    // display frame, so we pace such timers at one tick per frame.
    static constexpr int kFramePeriodMs = 16;

    explicit UiTimer(QObject* owner, int intervalMs, bool enabled);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    int Interval() const { return interval_; }
    void SetInterval(int intervalMs);

    // The period a timer asking for `intervalMs` really runs at: the asked
    // interval, or the frame period for intervals shorter than a frame.
    static int PeriodFor(int intervalMs);

    // Runs one tick now, as the clock would (nothing while disabled). For
    // tests and benchmarks.
    void Tick();

signals:
    // One tick of an enabled timer.
    void ticked();
    // The count has started anew: the next tick is a whole interval away.
    void restarted();

private:
    void Restart();

    QTimer timer_{this}; // a child, so its state can be looked at from outside
    int interval_;
    bool enabled_;
};
