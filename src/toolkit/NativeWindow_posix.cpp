#include "NativeWindow.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>

#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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

namespace {

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r); // NOLINT(cppcoreguidelines-no-malloc): xcb replies
    return atom;
}

// The server's current time. Qt's connection only knows the time of the last
// event it read; a property change on a window of a connection of our own
// comes back with the time it was made. Qt's event thread reads the events of
// its connection, so the round trip cannot go through that one.
xcb_timestamp_t ServerTime()
{
    static xcb_connection_t* own = nullptr;
    static xcb_window_t probe = XCB_NONE;
    static xcb_atom_t property = XCB_ATOM_NONE;
    if (!own) {
        own = xcb_connect(qgetenv("DISPLAY").constData(), nullptr);
        if (xcb_connection_has_error(own)) {
            xcb_disconnect(own);
            own = nullptr;
            return XCB_CURRENT_TIME;
        }
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(own)).data;
        probe = xcb_generate_id(own);
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(own, XCB_COPY_FROM_PARENT, probe, screen->root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
        property = InternAtom(own, "_QUORVELO_TIME");
    }
    xcb_change_property(own, XCB_PROP_MODE_APPEND, probe, property, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(own);
    while (xcb_generic_event_t* event = xcb_wait_for_event(own)) {
        const bool found = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
        const xcb_timestamp_t time = found ? reinterpret_cast<xcb_property_notify_event_t*>(event)->time : 0;
        std::free(event); // NOLINT(cppcoreguidelines-no-malloc): xcb events
        if (found)
            return time;
    }
    return XCB_CURRENT_TIME;
}

bool WindowManagerActivates(xcb_connection_t* c, xcb_window_t root, xcb_atom_t active)
{
    const xcb_atom_t supported = InternAtom(c, "_NET_SUPPORTED");
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, 4096), nullptr);
    bool found = false;
    if (r && r->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
        const int n = xcb_get_property_value_length(r) / 4;
        found = std::find(atoms, atoms + n, active) != atoms + n;
    }
    std::free(r); // NOLINT(cppcoreguidelines-no-malloc): xcb replies
    return found;
}

} // namespace

void ActivateWindow(QWidget* window)
{
    if (!window)
        return;
    xcb_connection_t* c = X11Connection();
    const bool shown = c && window->isVisible() && window->testAttribute(Qt::WA_WState_Created);
    const xcb_window_t root = shown ? xcb_setup_roots_iterator(xcb_get_setup(c)).data->root : XCB_NONE;
    const xcb_atom_t active = shown ? InternAtom(c, "_NET_ACTIVE_WINDOW") : xcb_atom_t(XCB_ATOM_NONE);
    if (active == XCB_ATOM_NONE || !WindowManagerActivates(c, root, active)) {
        // No window manager (Qt sets the input focus itself), or not on X11.
        window->activateWindow();
        return;
    }
    // Only the window manager is asked. Qt's own request would carry the time
    // of the last event Qt read, which Mutter refuses once a later request
    // has been made; and Qt reads its request back from the root window as
    // the activation itself, so its active window would part from the one
    // the window manager and the X server know.
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window->winId());
    event.type = active;
    event.data.data32[0] = 2; // source: a direct user action
    event.data.data32[1] = ServerTime();
    QWindow* focus = QGuiApplication::focusWindow();
    event.data.data32[2] = focus ? static_cast<std::uint32_t>(focus->winId()) : XCB_NONE;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}

void KeepOffTaskbar(QWidget* window)
{
    xcb_connection_t* c = X11Connection();
    if (!c || !window || !window->testAttribute(Qt::WA_WState_Created))
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t state = InternAtom(c, "_NET_WM_STATE");
    const std::array<xcb_atom_t, 2> states{InternAtom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                           InternAtom(c, "_NET_WM_STATE_SKIP_PAGER")};
    if (WindowManagerActivates(c, root, InternAtom(c, "_NET_ACTIVE_WINDOW"))) {
        // A mapped window asks the window manager, which owns the property.
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = id;
        event.type = state;
        event.data.data32[0] = 1; // add
        event.data.data32[1] = states[0];
        event.data.data32[2] = states[1];
        event.data.data32[3] = 1; // source: an application
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char*>(&event));
    } else {
        xcb_change_property(c, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(states.size()), states.data());
    }
    xcb_flush(c);
}

bool MessagesTakeFocus()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
