// A panel as a desktop's taskbar is to the window manager: a dock window that
// reserves a strip at the bottom of the X screen (_NET_WM_STRUT_PARTIAL) under
// the given rectangle only. Prints "ready" once shown, then stays until killed.
//
//   strut_dock X Y WIDTH HEIGHT
#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    auto* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    std::free(r); // NOLINT(cppcoreguidelines-no-malloc)
    return a;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fputs("usage: strut_dock X Y WIDTH HEIGHT\n", stderr);
        return 2;
    }
    const int x = std::stoi(argv[1]);
    const int y = std::stoi(argv[2]);
    const int w = std::stoi(argv[3]);
    const int h = std::stoi(argv[4]);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t win = xcb_generate_id(c);
    const std::array<std::uint32_t, 2> values{0x00808080, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, win, screen->root, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                      values.data());
    const std::string title = "strut_dock";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    const xcb_atom_t dock = Atom(c, "_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, Atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &dock);
    const auto bottom = static_cast<std::uint32_t>(screen->height_in_pixels - y);
    const std::array<std::uint32_t, 12> partial{
        0, 0, 0, bottom, 0, 0, 0, 0, 0, 0, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(x + w - 1)};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, Atom(c, "_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, 32, 12,
                        partial.data());
    const std::array<std::uint32_t, 4> whole{0, 0, 0, bottom};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, Atom(c, "_NET_WM_STRUT"), XCB_ATOM_CARDINAL, 32, 4,
                        whole.data());
    xcb_map_window(c, win);
    xcb_flush(c);
    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
        const bool mapped = (e->response_type & 0x7f) == XCB_MAP_NOTIFY;
        std::free(e); // NOLINT(cppcoreguidelines-no-malloc)
        if (mapped) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
    return 0;
}
