#include "ActivationTracker.h"

#include <QApplication>
#include <QEvent>

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

void ActivationTracker::ActivateOnPress(QWidget* window)
{
    if (pressed_.isEmpty())
        qApp->installEventFilter(this); // sees presses before the controls do
    pressed_.removeAll(nullptr);
    pressed_ << window;
}

bool ActivationTracker::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    QWidget* window = widget ? widget->window() : nullptr;
    if (window && window->isVisible() && pressed_.contains(window))
        Activate(window->windowHandle());
    return false;
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
    // A window that takes no focus (a refusal's message) got it all the same
    // from a platform that activates every window it shows: it goes back to
    // the window that had it, which sees no new activation.
    if (window->flags().testFlag(Qt::WindowDoesNotAcceptFocus)) {
        if (last_)
            last_->requestActivate();
        return;
    }
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
