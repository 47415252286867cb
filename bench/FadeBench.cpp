// Fade pacing benchmark: the configuration window's own fades, driven by its
// own timers in a running event loop, timed against their tick counts times
// the frame period that paces 1 ms timers. Each run opens a window, lets it
// fade in, fades it in once more from a quiet start, then closes it as a
// click on "FECHA" does.
//
// What counts is what reaches the screen: a second connection to the X
// server watches the window's opacity property as a compositor would, and
// each fade is also measured there, by the moments (server timestamps) at
// which new values arrived against the ticks that made them, and by the
// longest pause between two such moments.
//
//   bench_fade DATAROOT [RUNS]        (needs a display: run it under Xvfb)

#include "AdmUn00.h"
#include "BenchStats.h"
#include "DesignFont.h"
#include "Panel.h"
#include "QuorveloResources.h"
#include "UiTimer.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <vector>

namespace {

constexpr int kFadeInTicks = 50;
constexpr int kFadeOutTicks = 41;

// Runs the event loop until `done` holds after one of `timer`'s ticks.
// Returns the time of the last tick, or -1 when nothing came in 10 s.
std::int64_t RunUntil(UiTimer* timer, const std::function<bool()>& done, QObject* alsoEndsOn = nullptr)
{
    QEventLoop loop;
    std::int64_t last = -1;
    QObject::connect(timer, &UiTimer::ticked, &loop, [&] {
        last = bench::MonotonicNs();
        if (done())
            loop.quit();
    });
    if (alsoEndsOn)
        QObject::connect(alsoEndsOn, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(10'000, &loop, [&] {
        last = -1;
        loop.quit();
    });
    loop.exec();
    return last;
}

// Another X client's view of one window's opacity: the server time of every
// change the server receives.
class ServerOpacityWatch
{
public:
    explicit ServerOpacityWatch(xcb_window_t window) : c_(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(c_))
            return;
        const char name[] = "_NET_WM_WINDOW_OPACITY";
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        atom_ = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
        xcb_free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); // the selection is in place
    }
    ~ServerOpacityWatch() { xcb_disconnect(c_); }

    bool Ok() const { return !xcb_connection_has_error(c_) && atom_ != XCB_ATOM_NONE; }

    // Waits until the server has handled everything sent before, then takes
    // in the changes it reported.
    void Collect()
    {
        xcb_free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
            const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
            if ((e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && p->atom == atom_)
                times_.push_back(p->time);
            std::free(e);
        }
    }
    void Clear()
    {
        Collect();
        times_.clear();
    }

    // Moments at which new values arrived, and the longest pause between two.
    int Moments() const { return int(std::set<std::uint32_t>(times_.begin(), times_.end()).size()); }
    double SpanMs() const { return times_.empty() ? 0 : double(times_.back() - times_.front()); }
    double LongestPauseMs() const
    {
        std::uint32_t pause = 0;
        for (std::size_t i = 1; i < times_.size(); ++i)
            pause = std::max(pause, times_[i] - times_[i - 1]);
        return pause;
    }

private:
    static void xcb_free(void* reply) { std::free(reply); }

    xcb_connection_t* c_;
    xcb_atom_t atom_ = XCB_ATOM_NONE;
    std::vector<std::uint32_t> times_;
};

// Lets the event loop run for `ms`: the last values on their way to the server.
void Settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double Ms(std::int64_t from, std::int64_t to)
{
    return static_cast<double>(to - from) / 1e6;
}

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "bench_fade: %s\n", what);
    std::exit(1);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InitQuorveloResources();
    RegisterFontSubstitutes();
    // Each run closes its window; the next one still needs the event loop.
    app.setQuitOnLastWindowClosed(false);
    if (argc < 2)
        Fail("usage: bench_fade DATAROOT [RUNS]");
    const QString root = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;

    std::vector<double> firstIn, fadeIn, fadeOut;
    std::vector<double> firstMoments, firstPause, inMoments, inPause, outMoments, outPause;
    for (int run = 1; run <= runs; ++run) {
        QPointer<TAdmFor00> window = new TAdmFor00(root);
        ServerOpacityWatch server(static_cast<xcb_window_t>(window->winId()));
        if (!server.Ok())
            Fail("cannot watch the window from a second X connection");
        server.Clear();

        // The first fade-in, as the user sees it: from showing to the tick that ends it.
        const std::int64_t shown = bench::MonotonicNs();
        window->ShowFirstTime();
        int ticks = 0;
        QObject::connect(window->TemAbre, &UiTimer::ticked, [&ticks] { ++ticks; });
        const std::int64_t opened = RunUntil(window->TemAbre, [&] { return !window->TemAbre->Enabled(); });
        if (opened < 0 || ticks != kFadeInTicks)
            Fail("the first fade-in did not end on its 50th tick");
        firstIn.push_back(Ms(shown, opened));
        Settle(50);
        server.Collect();
        firstMoments.push_back(server.Moments());
        firstPause.push_back(server.LongestPauseMs());

        // A fade-in started on a quiet, shown window: the timers' pacing alone.
        window->Opacity.SetApplied(true);
        window->Opacity.SetValue(0);
        server.Clear();
        ticks = 0;
        const std::int64_t restarted = bench::MonotonicNs();
        window->TemAbre->SetEnabled(true);
        const std::int64_t reopened = RunUntil(window->TemAbre, [&] { return !window->TemAbre->Enabled(); });
        if (reopened < 0 || ticks != kFadeInTicks)
            Fail("the repeated fade-in did not end on its 50th tick");
        fadeIn.push_back(Ms(restarted, reopened));
        Settle(50);
        server.Collect();
        inMoments.push_back(server.Moments());
        inPause.push_back(server.LongestPauseMs());
        server.Clear();

        // Closing, as a click on "FECHA" starts it, to the tick that closes the window.
        UiTimer* closing = window->TempFecha;
        int closingTicks = 0;
        QObject::connect(closing, &UiTimer::ticked, [&closingTicks] { ++closingTicks; });
        const std::int64_t clicked = bench::MonotonicNs();
        window->ManClick(window->Man);
        const std::int64_t closed = RunUntil(closing, [&] { return !closing->Enabled(); });
        if (closed < 0 || closingTicks != kFadeOutTicks || (window && window->isVisible()))
            Fail("the fade-out did not close the window on its 41st tick");
        fadeOut.push_back(Ms(clicked, closed));
        Settle(50);
        server.Collect();
        outMoments.push_back(server.Moments());
        outPause.push_back(server.LongestPauseMs());

        std::printf(
            "run %d  first fade-in %6.1f ms  fade-in %6.1f ms  fade-out %6.1f ms"
            "\n       at the X server: first fade-in %2.0f moments (longest pause %3.0f ms), fade-in %2.0f (%3.0f ms),"
            " fade-out %2.0f (%3.0f ms)\n",
            run, firstIn.back(), fadeIn.back(), fadeOut.back(), firstMoments.back(), firstPause.back(),
            inMoments.back(), inPause.back(), outMoments.back(), outPause.back());
        delete window.data(); // the close frees it later; the next run needs the desktop to itself
    }

    const double tick = UiTimer::kFramePeriodMs;
    bench::Report("fade.runs", runs);
    bench::Report("fade.tick_ms", tick);
    bench::Report("fade.first_in_ms", bench::Median(firstIn));
    bench::Report("fade.first_in_ratio", bench::Median(firstIn) / (kFadeInTicks * tick));
    bench::Report("fade.in_ms", bench::Median(fadeIn));
    bench::Report("fade.in_ratio", bench::Median(fadeIn) / (kFadeInTicks * tick));
    bench::Report("fade.out_ms", bench::Median(fadeOut));
    bench::Report("fade.out_ratio", bench::Median(fadeOut) / (kFadeOutTicks * tick));
    // The worst run: the fewest moments and the longest pause.
    bench::Report("fade.first_in_server_moments", bench::Quantile(firstMoments, 0.0));
    bench::Report("fade.first_in_server_pause_ms", bench::Quantile(firstPause, 1.0));
    bench::Report("fade.in_server_moments", bench::Quantile(inMoments, 0.0));
    bench::Report("fade.in_server_pause_ms", bench::Quantile(inPause, 1.0));
    bench::Report("fade.out_server_moments", bench::Quantile(outMoments, 0.0));
    bench::Report("fade.out_server_pause_ms", bench::Quantile(outPause, 1.0));
    return 0;
}
