#include "ActivationTracker.h"

#include <QGuiApplication>

ActivationTracker& ActivationTracker::Instance()
{
    static ActivationTracker* tracker = new ActivationTracker;
    return *tracker;
}

ActivationTracker::ActivationTracker()
    : QObject(qGuiApp)
{
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &ActivationTracker::OnFocusWindowChanged);
}

void ActivationTracker::OnFocusWindowChanged(QWindow* window)
{
    if (!window)
        return;   // the focus left the program; who had it last is kept
    if (window == last_)
        return;   // back from another application
    last_ = window;
    emit activated(window);
}
