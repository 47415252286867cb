#include "ActivationTracker.h"

#include <QGuiApplication>

ActivationTracker& ActivationTracker::Instance()
{
    // Owned by the application and gone with it; a later application (tests
    // make one after another) gets a tracker of its own.
    static QPointer<ActivationTracker> tracker;
    if (!tracker)
        tracker = new ActivationTracker;
    return *tracker;
}

ActivationTracker::ActivationTracker() : QObject(qGuiApp)
{
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &ActivationTracker::OnFocusWindowChanged);
}

void ActivationTracker::OnFocusWindowChanged(QWindow* window)
{
    if (!window)
        return; // the focus left the program; who had it last is kept
    // Menus, tooltips and other popups never take the activation on the home
    // desktop: the focus going into one and back is no activation.
    if (window->type() == Qt::Popup || window->type() == Qt::ToolTip)
        return;
    if (window == last_)
        return; // back from another application
    last_ = window;
    emit activated(window);
}

void ActivationTracker::Activate(QWindow* window)
{
    if (!window || window == last_)
        return;
    last_ = window;
    emit activated(window);
}
