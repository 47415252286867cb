// A second X client that watches what the X server receives of every
// top-level window's opacity. One line per change, as the server stamps it:
//   NAME <tab> SERVER_TIME_MS <tab> VALUE (0-255, or "none" once removed)
// ("unread" when the window went before the value could be read: a window
// that closes on the last step of its fade) and "NAME <tab> - <tab> destroyed"
// when a window goes. Runs until killed.
//
//   opacity_watch            (on $DISPLAY)
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return atom;
}

std::string Name(xcb_connection_t* c, xcb_window_t w)
{
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256), nullptr);
    std::string name = r ? std::string(static_cast<const char*>(xcb_get_property_value(r)),
                                       std::size_t(xcb_get_property_value_length(r)))
                         : std::string();
    std::free(r);
    return name.empty() ? "?" : name;
}

} // namespace

int main()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "opacity_watch: cannot open the display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t opacity = Atom(c, "_NET_WM_WINDOW_OPACITY");
    const std::uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);
    xcb_flush(c);
    std::printf("ready\n");
    std::fflush(stdout);

    std::map<xcb_window_t, std::string> names;
    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
        switch (e->response_type & 0x7f) {
        case XCB_CREATE_NOTIFY: {
            const xcb_window_t w = reinterpret_cast<xcb_create_notify_event_t*>(e)->window;
            const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, &mask);
            xcb_flush(c);
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e);
            if (p->atom != opacity)
                break;
            auto& name = names[p->window];
            if (name.empty() || name == "?")
                name = Name(c, p->window);
            if (p->state == XCB_PROPERTY_DELETE) {
                std::printf("%s\t%u\tnone\n", name.c_str(), p->time);
            } else {
                // Read now: the notice says only that the value changed. A
                // value replaced in between is reported once, as the newer.
                xcb_get_property_reply_t* r = xcb_get_property_reply(
                    c, xcb_get_property(c, 0, p->window, opacity, XCB_ATOM_CARDINAL, 0, 1), nullptr);
                if (r && xcb_get_property_value_length(r) == 4) {
                    const std::uint32_t v = *static_cast<const std::uint32_t*>(xcb_get_property_value(r));
                    std::printf("%s\t%u\t%.0f\n", name.c_str(), p->time, v / 4294967295.0 * 255.0);
                } else {
                    std::printf("%s\t%u\tunread\n", name.c_str(), p->time);
                }
                std::free(r);
            }
            std::fflush(stdout);
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto it = names.find(reinterpret_cast<xcb_destroy_notify_event_t*>(e)->window);
            if (it != names.end()) {
                std::printf("%s\t-\tdestroyed\n", it->second.c_str());
                std::fflush(stdout);
                names.erase(it);
            }
            break;
        }
        }
        std::free(e);
    }
    return 0;
}
