#include "NativeWindow.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>

#include <xcb/xcb.h>

namespace {

xcb_connection_t* X11Connection()
{
    // Null on any other platform (Wayland, offscreen).
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        return x11->connection();
    return nullptr;
}

// Watches the X events for the destruction of one window. Qt selects the
// structure events of its top-level windows, so the notice comes to us too.
class DestroyWatch : public QObject, public QAbstractNativeEventFilter
{
public:
    DestroyWatch(QWidget* window, std::function<void()> gone) : QObject(window), window_(window), gone_(std::move(gone))
    {
        qGuiApp->installNativeEventFilter(this);
    }
    ~DestroyWatch() override
    {
        if (qGuiApp)
            qGuiApp->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t" || fired_ || !window_)
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
            return false;
        const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
        // The window's own destruction comes with the widget's (this watch
        // goes first) or with a native window Qt replaces, whose handle the
        // widget no longer carries by then.
        if (!window_->testAttribute(Qt::WA_WState_Created) || destroyed->window != window_->winId())
            return false;
        fired_ = true;
        QMetaObject::invokeMethod(
            this, [this] { gone_(); }, Qt::QueuedConnection);
        return false;
    }

private:
    QPointer<QWidget> window_;
    std::function<void()> gone_;
    bool fired_ = false;
};

} // namespace

void FlushWindowSystem()
{
    if (xcb_connection_t* c = X11Connection())
        xcb_flush(c);
}

void WhenDestroyedFromOutside(QWidget* window, std::function<void()> gone)
{
    if (window && X11Connection())
        new DestroyWatch(window, std::move(gone));
}
