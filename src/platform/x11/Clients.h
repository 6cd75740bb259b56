#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// What the backend knows about one window managed by the window manager.
struct Client {
    xcb_window_t window = XCB_NONE;
    // `_NET_WM_PID`, or for a client that does not say, a stand-in shared by
    // every window of the same X connection (always negative, so it never
    // collides with a real process id).
    std::int32_t pid = 0;
    bool hasOwnPid = false;
    // WM_CLASS: instance and class names.
    std::string instanceName;
    std::string className;
    std::vector<xcb_atom_t> types;
    std::vector<xcb_atom_t> states;
    bool transient = false;
    std::optional<std::uint32_t> desktop;
    std::optional<double> opacity;
    bool viewable = false;

    bool hasState(xcb_atom_t state) const;
    bool hasType(xcb_atom_t type) const;
};

// The process behind `window` as `Client::pid` gives it, from the window's
// `_NET_WM_PID` values; `ownPid`, when given, says whether the window named it.
std::int32_t ownerOf(const X11Connection& connection, xcb_window_t window,
                     const std::vector<std::uint32_t>& pidProperty, bool* ownPid = nullptr);

// The requests for one client, sent together so that many clients cost one
// round trip.
struct ClientRequests {
    xcb_window_t window = XCB_NONE;
    xcb_get_property_cookie_t pid, wmClass, types, states, transientFor, desktop, opacity;
    xcb_get_window_attributes_cookie_t attributes;
};

ClientRequests requestClient(X11Connection& connection, xcb_window_t window);

ValueOr<Client> collectClient(X11Connection& connection, const ClientRequests& requests,
                              Instant deadline);

// The accessibility subrole the window's type stands for.
std::string subroleOf(X11Connection& connection, const Client& client);

// Whether the window is a document or tool window of an application, not a
// desktop, dock, menu or notification.
bool isOrdinaryWindow(X11Connection& connection, const Client& client);

}  // namespace orvale::x11
