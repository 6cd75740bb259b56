#include "platform/x11/Clients.h"

#include <algorithm>

#include "platform/x11/Property.h"

namespace orvale::x11 {

std::int32_t ownerOf(const X11Connection& connection, xcb_window_t window,
                     const std::vector<std::uint32_t>& pidProperty, bool* ownPid) {
    const bool own =
        !pidProperty.empty() && pidProperty.front() > 0 && pidProperty.front() <= 0x7FFFFFFF;
    if (ownPid) *ownPid = own;
    if (own) return static_cast<std::int32_t>(pidProperty.front());
    const std::uint32_t creator = connection.creatorOf(window);
    return creator == 0 ? -1 : -static_cast<std::int32_t>(creator & 0x7FFFFFFF);
}

namespace {

constexpr double kOpaque = 0xFFFFFFFF;

}  // namespace

bool Client::hasState(xcb_atom_t state) const {
    return std::find(states.begin(), states.end(), state) != states.end();
}

bool Client::hasType(xcb_atom_t type) const {
    return std::find(types.begin(), types.end(), type) != types.end();
}

ClientRequests requestClient(X11Connection& connection, xcb_window_t window) {
    xcb_connection_t* c = connection.raw();
    xcb_ewmh_connection_t& ewmh = connection.ewmh();
    return ClientRequests{
        .window = window,
        .pid = requestProperty(c, window, ewmh._NET_WM_PID),
        .wmClass = requestProperty(c, window, XCB_ATOM_WM_CLASS),
        .types = requestProperty(c, window, ewmh._NET_WM_WINDOW_TYPE),
        .states = requestProperty(c, window, ewmh._NET_WM_STATE),
        .transientFor = requestProperty(c, window, XCB_ATOM_WM_TRANSIENT_FOR),
        .desktop = requestProperty(c, window, ewmh._NET_WM_DESKTOP),
        .opacity = requestProperty(c, window, connection.opacityAtom()),
        .attributes = xcb_get_window_attributes(c, window),
    };
}

ValueOr<Client> collectClient(X11Connection& connection, const ClientRequests& requests,
                              Instant deadline) {
    using Property = ReplyOr<xcb_get_property_reply_t>;
    const Property pid = connection.reply<xcb_get_property_reply_t>(requests.pid, deadline);
    const Property wmClass = connection.reply<xcb_get_property_reply_t>(requests.wmClass, deadline);
    const Property types = connection.reply<xcb_get_property_reply_t>(requests.types, deadline);
    const Property states = connection.reply<xcb_get_property_reply_t>(requests.states, deadline);
    const Property transientFor =
        connection.reply<xcb_get_property_reply_t>(requests.transientFor, deadline);
    const Property desktop = connection.reply<xcb_get_property_reply_t>(requests.desktop, deadline);
    const Property opacity = connection.reply<xcb_get_property_reply_t>(requests.opacity, deadline);
    const auto attributes =
        connection.reply<xcb_get_window_attributes_reply_t>(requests.attributes, deadline);
    // Every reply is collected before looking at errors, so none is left queued.
    for (AXError error : {pid.error, wmClass.error, types.error, states.error, transientFor.error,
                          desktop.error, opacity.error, attributes.error}) {
        if (error != AXErrorCode::success) return {std::nullopt, error};
    }

    Client client;
    client.window = requests.window;
    client.pid = ownerOf(connection, requests.window, values32(pid), &client.hasOwnPid);
    const auto classNames = texts(wmClass);
    if (!classNames.empty()) client.instanceName = classNames[0];
    if (classNames.size() > 1) client.className = classNames[1];
    client.types = values32(types);
    client.states = values32(states);
    const auto transient = values32(transientFor);
    client.transient = !transient.empty() && transient.front() != XCB_NONE;
    if (const auto values = values32(desktop); !values.empty()) client.desktop = values.front();
    if (const auto values = values32(opacity); !values.empty()) {
        client.opacity = values.front() / kOpaque;
    }
    client.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    return {std::move(client), AXErrorCode::success};
}

std::string subroleOf(X11Connection& connection, const Client& client) {
    const xcb_ewmh_connection_t& ewmh = connection.ewmh();
    // The first type the window lists that is known wins, as EWMH prescribes.
    for (xcb_atom_t type : client.types) {
        if (type == ewmh._NET_WM_WINDOW_TYPE_NORMAL) return "AXStandardWindow";
        if (type == ewmh._NET_WM_WINDOW_TYPE_DIALOG) return "AXDialog";
        if (type == ewmh._NET_WM_WINDOW_TYPE_UTILITY || type == ewmh._NET_WM_WINDOW_TYPE_TOOLBAR) {
            return "AXFloatingWindow";
        }
        if (type == ewmh._NET_WM_WINDOW_TYPE_DESKTOP || type == ewmh._NET_WM_WINDOW_TYPE_DOCK ||
            type == ewmh._NET_WM_WINDOW_TYPE_MENU || type == ewmh._NET_WM_WINDOW_TYPE_SPLASH ||
            type == ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION ||
            type == ewmh._NET_WM_WINDOW_TYPE_DROPDOWN_MENU ||
            type == ewmh._NET_WM_WINDOW_TYPE_POPUP_MENU ||
            type == ewmh._NET_WM_WINDOW_TYPE_TOOLTIP || type == ewmh._NET_WM_WINDOW_TYPE_COMBO ||
            type == ewmh._NET_WM_WINDOW_TYPE_DND) {
            return "AXUnknown";
        }
    }
    return client.transient ? "AXDialog" : "AXStandardWindow";
}

bool isOrdinaryWindow(X11Connection& connection, const Client& client) {
    return subroleOf(connection, client) != "AXUnknown";
}

}  // namespace orvale::x11
