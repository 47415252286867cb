#include "WorkArea.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QScreen>
#include <QSizeF>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>

// X11: with more than one monitor the desktop's _NET_WORKAREA is the union of
// all monitors (one rectangle for the whole screen), which Qt then ignores and
// gives each monitor whole. What the docks reserve is read here instead.

namespace {

struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); } // NOLINT(cppcoreguidelines-no-malloc): xcb replies
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t Atom(xcb_connection_t* c, const std::string& name)
{
    const Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a property, empty when it is missing.
std::vector<std::uint32_t> Values(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
{
    if (property == XCB_ATOM_NONE)
        return {};
    const Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 4096), nullptr));
    if (!r || r->format != 32 || r->type != type)
        return {};
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
    return {data, data + xcb_get_property_value_length(r.get()) / 4};
}

int Int(std::uint32_t v)
{
    return static_cast<int>(v);
}

// The windows that may be docks: the managed ones the window manager lists,
// or without one the shown children of the root.
std::vector<xcb_window_t> Candidates(xcb_connection_t* c, xcb_window_t root)
{
    const auto listed = Values(c, root, Atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    if (!listed.empty())
        return {listed.begin(), listed.end()};
    std::vector<xcb_window_t> shown;
    const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (!tree)
        return shown;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0, n = xcb_query_tree_children_length(tree.get()); i < n; ++i) {
        const Reply<xcb_get_window_attributes_reply_t> a(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr));
        if (a && a->map_state == XCB_MAP_STATE_VIEWABLE)
            shown.push_back(children[i]);
    }
    return shown;
}

std::optional<QRect> PublishedForMonitor(xcb_connection_t* c, xcb_window_t root, const QRect& monitor)
{
    // GNOME's window manager publishes one work area per monitor and desktop.
    const auto desktop = Values(c, root, Atom(c, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL);
    const auto areas = Values(c, root, Atom(c, "_GTK_WORKAREAS_D" + std::to_string(desktop.empty() ? 0 : desktop[0])),
                              XCB_ATOM_CARDINAL);
    std::optional<QRect> best;
    for (std::size_t i = 0; i + 3 < areas.size(); i += 4) {
        const QRect area(Int(areas[i]), Int(areas[i + 1]), Int(areas[i + 2]), Int(areas[i + 3]));
        if (monitor.contains(area) && (!best || area.width() * area.height() > best->width() * best->height()))
            best = area;
    }
    return best;
}

// Watches the root window for new work areas. Qt selects the root window's
// property changes itself, so the notices come to us too.
class WorkAreaWatch : public QObject, public QAbstractNativeEventFilter
{
public:
    WorkAreaWatch(QObject* context, xcb_connection_t* c, std::function<void()> changed)
        : QObject(context), changed_(std::move(changed)), netWorkArea_(Atom(c, "_NET_WORKAREA"))
    {
        const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        root_ = root ? root->root : XCB_NONE;
        qGuiApp->installNativeEventFilter(this);
    }
    ~WorkAreaWatch() override
    {
        if (qGuiApp)
            qGuiApp->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* notice = static_cast<const xcb_property_notify_event_t*>(message);
        if (notice->window != root_ || !IsWorkArea(notice->atom))
            return false;
        QMetaObject::invokeMethod(
            this, [this] { changed_(); }, Qt::QueuedConnection);
        return false;
    }

private:
    bool IsWorkArea(xcb_atom_t atom)
    {
        if (atom == netWorkArea_)
            return true;
        if (auto known = gtkWorkAreas_.find(atom); known != gtkWorkAreas_.end())
            return known->second;
        // _GTK_WORKAREAS_D0, _D1, ...: names asked once each.
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        bool is = false;
        if (x11) {
            xcb_connection_t* c = x11->connection();
            const Reply<xcb_get_atom_name_reply_t> r(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr));
            if (r) {
                const std::string name(xcb_get_atom_name_name(r.get()),
                                       static_cast<std::size_t>(xcb_get_atom_name_name_length(r.get())));
                is = name.rfind("_GTK_WORKAREAS_D", 0) == 0;
            }
        }
        gtkWorkAreas_[atom] = is;
        return is;
    }

    std::function<void()> changed_;
    xcb_atom_t netWorkArea_;
    xcb_window_t root_ = XCB_NONE;
    std::map<xcb_atom_t, bool> gtkWorkAreas_;
};

// The monitor Qt shows as `logical`, in device pixels. Qt keeps a scaled
// screen's top-left corner where the server has it and divides only its size,
// so the monitor is the one that starts there.
QRect DeviceMonitor(xcb_connection_t* c, xcb_window_t root, const QRect& logical, double ratio)
{
    const Reply<xcb_randr_get_monitors_reply_t> r(
        xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, root, 1), nullptr));
    if (r) {
        for (auto it = xcb_randr_get_monitors_monitors_iterator(r.get()); it.rem; xcb_randr_monitor_info_next(&it)) {
            const xcb_randr_monitor_info_t* m = it.data;
            if (m->x == logical.x() && m->y == logical.y())
                return {m->x, m->y, m->width, m->height};
        }
    }
    // A server without monitors (RandR before 1.5): the size scaled back.
    return {logical.topLeft(), (QSizeF(logical.size()) * ratio).toSize()};
}

} // namespace

QRect WorkAreaOf(QScreen* screen)
{
    if (!screen)
        return {};
    const QRect qtArea = screen->availableGeometry();
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // One monitor: the desktop's own figure for the screen, as Qt reads it
    // and scales it.
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c || QGuiApplication::screens().size() <= 1)
        return qtArea;
    const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!root)
        return qtArea;
    // The desktop's figures are in the server's device pixels; Qt's in
    // logical ones wherever a screen is scaled (QT_SCREEN_SCALE_FACTORS,
    // Xft.dpi). Worked out in device pixels, given back in logical ones.
    const double ratio = screen->devicePixelRatio();
    const QRect monitor = DeviceMonitor(c, root->root, screen->geometry(), ratio);
    const auto logical = [&](const QRect& device) { return DeviceToLogical(device, monitor.topLeft(), ratio); };
    if (auto published = PublishedForMonitor(c, root->root, monitor))
        return logical(*published);

    const QSize rootSize(root->width_in_pixels, root->height_in_pixels);
    const xcb_atom_t partial = Atom(c, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t whole = Atom(c, "_NET_WM_STRUT");
    std::vector<Strut> struts;
    for (xcb_window_t w : Candidates(c, root->root)) {
        if (const auto v = Values(c, w, partial, XCB_ATOM_CARDINAL); v.size() >= 12) {
            struts.push_back({Int(v[0]), Int(v[1]), Int(v[2]), Int(v[3]), Int(v[4]), Int(v[5]), Int(v[6]), Int(v[7]),
                              Int(v[8]), Int(v[9]), Int(v[10]), Int(v[11])});
        } else if (const auto s = Values(c, w, whole, XCB_ATOM_CARDINAL); s.size() >= 4) {
            struts.push_back(Strut::WholeEdges(Int(s[0]), Int(s[1]), Int(s[2]), Int(s[3]), rootSize));
        }
    }
    return logical(MonitorLessStruts(monitor, rootSize, struts));
}

void WhenWorkAreasChange(QObject* context, std::function<void()> changed)
{
    // Qt answers for X11 on every platform; only X11 itself has a connection.
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (c && context)
        new WorkAreaWatch(context, c, std::move(changed));
}
