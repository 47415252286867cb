// Linked into a start-up benchmark program: reports, on stdout, the moment
// the program's first window is shown and active, and the resident memory
// at that moment, then ends the process. It changes nothing before that
// moment, so the program does all of its own start-up work.

#include "BenchStats.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMetaObject>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

long ResidentKiB()
{
    long kib = -1;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            if (std::strncmp(line, "VmRSS:", 6) == 0) {
                kib = std::strtol(line + 6, nullptr, 10);
                break;
            }
        }
        std::fclose(f);
    }
    return kib;
}

class StartupProbe : public QObject
{
public:
    using QObject::QObject;

protected:
    // Exposure and activation arrive in either order; check once each has
    // been handled, so that the window has painted its first frame.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Expose:
        case QEvent::FocusIn:
        case QEvent::WindowActivate:
        case QEvent::ActivationChange:
            if (!pending_) {
                pending_ = true;
                QMetaObject::invokeMethod(
                    this, [this] { Check(); }, Qt::QueuedConnection);
            }
            break;
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Check()
    {
        pending_ = false;
        QWindow* focus = QGuiApplication::focusWindow();
        if (!focus || !focus->isVisible() || !focus->isExposed())
            return;
        const std::int64_t now = bench::MonotonicNs();
        std::printf("ready %lld %ld\n", static_cast<long long>(now), ResidentKiB());
        std::fflush(stdout);
        // What comes after start-up (fades, teardown) is not measured.
        _exit(0);
    }

    bool pending_ = false;
};

// Runs inside the application object's constructor, before any window exists.
void InstallStartupProbe()
{
    QCoreApplication::instance()->installEventFilter(new StartupProbe(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallStartupProbe)
