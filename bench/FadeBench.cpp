// Fade pacing benchmark: the configuration window's own fades, driven by its
// own timers in a running event loop, timed against their tick counts times
// the frame period that paces 1 ms timers. Each run opens a window, lets it
// fade in, fades it in once more from a quiet start, then closes it as a
// click on "FECHA" does.
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

#include <cstdio>
#include <cstdlib>
#include <functional>
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
    QTimer::singleShot(10'000, &loop, [&] { last = -1; loop.quit(); });
    loop.exec();
    return last;
}

double Ms(std::int64_t from, std::int64_t to) { return static_cast<double>(to - from) / 1e6; }

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
    for (int run = 1; run <= runs; ++run) {
        QPointer<TAdmFor00> window = new TAdmFor00(root);

        // The first fade-in, as the user sees it: from showing to the tick that ends it.
        const std::int64_t shown = bench::MonotonicNs();
        window->ShowFirstTime();
        const int before = window->TemAbre->TickCount();
        const std::int64_t opened = RunUntil(window->TemAbre, [&] { return !window->TemAbre->Enabled(); });
        if (opened < 0 || window->TemAbre->TickCount() - before != kFadeInTicks)
            Fail("the first fade-in did not end on its 50th tick");
        firstIn.push_back(Ms(shown, opened));

        // A fade-in started on a quiet, shown window: the timers' pacing alone.
        window->Opacity.SetApplied(true);
        window->Opacity.SetValue(0);
        const int again = window->TemAbre->TickCount();
        const std::int64_t restarted = bench::MonotonicNs();
        window->TemAbre->SetEnabled(true);
        const std::int64_t reopened = RunUntil(window->TemAbre, [&] { return !window->TemAbre->Enabled(); });
        if (reopened < 0 || window->TemAbre->TickCount() - again != kFadeInTicks)
            Fail("the repeated fade-in did not end on its 50th tick");
        fadeIn.push_back(Ms(restarted, reopened));

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

        std::printf("run %d  first fade-in %6.1f ms  fade-in %6.1f ms  fade-out %6.1f ms\n", run,
                    firstIn.back(), fadeIn.back(), fadeOut.back());
        delete window.data();   // the close frees it later; the next run needs the desktop to itself
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
    return 0;
}
