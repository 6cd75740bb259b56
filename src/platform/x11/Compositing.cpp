#include "platform/x11/Compositing.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace orvale::x11 {

bool compositingManagerRunning(xcb_connection_t* connection) {
    if (!connection || xcb_connection_has_error(connection)) return false;
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen)) screen = 0;
    std::free(host);
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, name.size(), name.c_str()),
                              nullptr),
        &std::free);
    if (!atom) return false;
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                      nullptr),
        &std::free);
    return owner && owner->owner != XCB_NONE;
}

}  // namespace orvale::x11
