// A second X client that records every opacity value other clients send the
// X server for their windows. One line per request, as the server stamps it:
//   NAME <tab> SERVER_TIME_MS <tab> VALUE (0-255, or "none" once removed)
// Runs until killed.
//
// The values are taken from the requests themselves (the RECORD extension),
// not read back after a property notice: a watcher that falls behind on a
// busy machine would read a later value in place of the one the notice was
// for, and report a step as lost that the server did receive.
//
//   opacity_watch            (on $DISPLAY; prints "ready" once recording)
#include <xcb/record.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

// The categories of recorded data (the RECORD protocol's; xcb names none).
constexpr std::uint8_t kFromClient = 1;
constexpr std::uint8_t kStartOfData = 4;

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return atom;
}

// The window's name as the server holds it now: for a window whose opacity
// came before its name.
std::string Name(xcb_connection_t* c, xcb_window_t w)
{
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256), nullptr);
    std::string name = r ? std::string(static_cast<const char*>(xcb_get_property_value(r)),
                                       std::size_t(xcb_get_property_value_length(r)))
                         : std::string();
    std::free(r);
    return name;
}

std::uint32_t Card32(const std::uint8_t* p)
{
    std::uint32_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint16_t Card16(const std::uint8_t* p)
{
    std::uint16_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

class Watch
{
public:
    Watch(xcb_connection_t* control, xcb_atom_t opacity) : control_(control), opacity_(opacity) {}

    // One block of recorded requests, each after the server time it came in.
    void Requests(const std::uint8_t* p, std::size_t size)
    {
        while (size >= 8) {
            const std::uint32_t time = Card32(p);
            const std::uint8_t* request = p + 4;
            std::size_t length = std::size_t(Card16(request + 2)) * 4;
            std::size_t header = 0;
            if (length == 0 && size >= 12) { // BIG-REQUESTS: the length follows
                length = std::size_t(Card32(request + 4)) * 4;
                header = 4;
            }
            if (length < 4 || 4 + length > size)
                return;
            Request(time, request[0], request + header, length - header);
            p += 4 + length;
            size -= 4 + length;
        }
    }

private:
    void Request(std::uint32_t time, std::uint8_t opcode, const std::uint8_t* r, std::size_t length)
    {
        if (opcode == XCB_CHANGE_PROPERTY && length >= 24) {
            const xcb_window_t window = Card32(r + 4);
            const xcb_atom_t property = Card32(r + 8);
            const std::uint8_t format = r[16];
            const std::uint32_t count = Card32(r + 20);
            if (property == XCB_ATOM_WM_NAME && format == 8 && 24 + std::size_t(count) <= length)
                names_[window] = std::string(reinterpret_cast<const char*>(r + 24), count);
            else if (property == opacity_ && format == 32 && count == 1 && length >= 28)
                Print(window, time, [&] { std::printf("%.0f", Card32(r + 24) / 4294967295.0 * 255.0); });
        } else if (opcode == XCB_DELETE_PROPERTY && length >= 12 && Card32(r + 8) == opacity_) {
            Print(Card32(r + 4), time, [] { std::printf("none"); });
        }
    }

    template <typename Value>
    void Print(xcb_window_t window, std::uint32_t time, Value value)
    {
        std::string& name = names_[window];
        if (name.empty())
            name = Name(control_, window);
        std::printf("%s\t%u\t", name.empty() ? "?" : name.c_str(), time);
        value();
        std::printf("\n");
        std::fflush(stdout);
    }

    xcb_connection_t* control_;
    xcb_atom_t opacity_;
    std::map<xcb_window_t, std::string> names_;
};

} // namespace

int main()
{
    // RECORD sends its data on a connection of its own, which does nothing else.
    xcb_connection_t* control = xcb_connect(nullptr, nullptr);
    xcb_connection_t* data = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(control) || xcb_connection_has_error(data)) {
        std::fprintf(stderr, "opacity_watch: cannot open the display\n");
        return 1;
    }
    const xcb_query_extension_reply_t* record = xcb_get_extension_data(control, &xcb_record_id);
    if (!record || !record->present) {
        std::fprintf(stderr, "opacity_watch: the X server has no RECORD extension\n");
        return 1;
    }
    const xcb_atom_t opacity = Atom(control, "_NET_WM_WINDOW_OPACITY");

    // The clients that connect from now on (the program under test), their
    // ChangeProperty and DeleteProperty requests, each with its server time.
    xcb_record_range_t range{};
    range.core_requests.first = XCB_CHANGE_PROPERTY;
    range.core_requests.last = XCB_DELETE_PROPERTY;
    const xcb_record_client_spec_t clients = XCB_RECORD_CS_FUTURE_CLIENTS;
    const xcb_record_context_t context = xcb_generate_id(control);
    if (xcb_generic_error_t* error = xcb_request_check(
            control, xcb_record_create_context_checked(control, context, XCB_RECORD_H_TYPE_FROM_CLIENT_TIME, 1, 1,
                                                       &clients, &range))) {
        std::fprintf(stderr, "opacity_watch: cannot record (X error %d)\n", error->error_code);
        std::free(error);
        return 1;
    }

    Watch watch(control, opacity);
    const xcb_record_enable_context_cookie_t cookie = xcb_record_enable_context(data, context);
    while (xcb_record_enable_context_reply_t* reply = xcb_record_enable_context_reply(data, cookie, nullptr)) {
        if (reply->client_swapped) {
            std::fprintf(stderr, "opacity_watch: a client of the other byte order\n");
            std::free(reply);
            return 1;
        }
        if (reply->category == kStartOfData) {
            std::printf("ready\n");
            std::fflush(stdout);
        } else if (reply->category == kFromClient) {
            watch.Requests(xcb_record_enable_context_data(reply),
                           std::size_t(xcb_record_enable_context_data_length(reply)));
        }
        std::free(reply);
    }
    return 0;
}
