#pragma once

#include <xcb/xcb_ewmh.h>

#include <chrono>
#include <stdexcept>

#include "platform/x11/X11Connection.h"

namespace orvale {

// The floor of a move: one _NET_MOVERESIZE_WINDOW placing the window's outer
// frame at (x, y), then waiting for that window's ConfigureNotify on
// `connection`, which must be watching the window. Throws when the window
// manager does not answer within five seconds.
inline void moveBare(x11::X11Connection& connection, xcb_window_t window, double x, double y) {
    connection.dropPendingEvents();
    xcb_ewmh_request_moveresize_window(
        &connection.ewmh(), connection.screenNumber(), window, XCB_GRAVITY_NORTH_WEST,
        XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
        static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(XCB_EWMH_MOVERESIZE_WINDOW_X |
                                                            XCB_EWMH_MOVERESIZE_WINDOW_Y),
        static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 0, 0);
    const bool answered = connection.waitForEvent(
        [&](const xcb_generic_event_t& event) {
            return (event.response_type & 0x7F) == XCB_CONFIGURE_NOTIFY &&
                   reinterpret_cast<const xcb_configure_notify_event_t&>(event).window == window;
        },
        std::chrono::steady_clock::now() + std::chrono::seconds(5));
    if (!answered) throw std::runtime_error("no ConfigureNotify");
}

}  // namespace orvale
