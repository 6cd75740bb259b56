#include "platform/x11/WindowGeometry.h"

#include <algorithm>
#include <cmath>

#include "platform/x11/Property.h"

namespace orvale::x11 {
namespace {

Extents extentsFrom(const std::vector<std::uint32_t>& values) {
    if (values.size() < 4) return {};
    return {static_cast<double>(values[0]), static_cast<double>(values[1]),
            static_cast<double>(values[2]), static_cast<double>(values[3])};
}

}  // namespace

RectD WindowGeometry::outer() const {
    return {client.x - decorations.left, client.y - decorations.top,
            client.width + decorations.left + decorations.right,
            client.height + decorations.top + decorations.bottom};
}

RectD WindowGeometry::frame() const {
    const RectD o = outer();
    return {o.x + shadow.left, o.y + shadow.top, o.width - shadow.left - shadow.right,
            o.height - shadow.top - shadow.bottom};
}

SizeD WindowGeometry::clientSizeFor(SizeD frameSize) const {
    return {frameSize.width - decorations.left - decorations.right - 2 * border + shadow.left +
                shadow.right,
            frameSize.height - decorations.top - decorations.bottom - 2 * border + shadow.top +
                shadow.bottom};
}

RectD WindowGeometry::outerFor(double x, double y) const {
    const RectD o = outer();
    return {x - shadow.left, y - shadow.top, o.width, o.height};
}

GeometryRequests requestGeometry(X11Connection& connection, xcb_window_t window) {
    xcb_connection_t* c = connection.raw();
    return GeometryRequests{
        .geometry = xcb_get_geometry(c, window),
        .position = xcb_translate_coordinates(c, window, connection.root(), 0, 0),
        .decorations = requestProperty(c, window, connection.ewmh()._NET_FRAME_EXTENTS),
        .shadow = requestProperty(c, window, connection.gtkFrameExtentsAtom()),
        .sizeHints = requestProperty(c, window, XCB_ATOM_WM_NORMAL_HINTS),
    };
}

ValueOr<WindowGeometry> collectGeometry(X11Connection& connection, const GeometryRequests& requests,
                                        Instant deadline) {
    const auto geometry = connection.reply<xcb_get_geometry_reply_t>(requests.geometry, deadline);
    const auto position =
        connection.reply<xcb_translate_coordinates_reply_t>(requests.position, deadline);
    const auto decorations =
        connection.reply<xcb_get_property_reply_t>(requests.decorations, deadline);
    const auto shadow = connection.reply<xcb_get_property_reply_t>(requests.shadow, deadline);
    const auto hints = connection.reply<xcb_get_property_reply_t>(requests.sizeHints, deadline);
    for (AXError error :
         {geometry.error, position.error, decorations.error, shadow.error, hints.error}) {
        if (error != AXErrorCode::success) return {std::nullopt, error};
    }
    const double border = geometry->border_width;
    WindowGeometry result{
        .client = {position->dst_x - border, position->dst_y - border, geometry->width + 2 * border,
                   geometry->height + 2 * border},
        .border = border,
        .decorations = extentsFrom(values32(decorations)),
        .shadow = extentsFrom(values32(shadow)),
        .sizeHints = std::nullopt,
    };
    xcb_size_hints_t sizeHints{};
    if (hints && hints->type != XCB_NONE &&
        xcb_icccm_get_wm_size_hints_from_reply(&sizeHints, hints.reply.get())) {
        result.sizeHints = sizeHints;
    }
    return {result, AXErrorCode::success};
}

SizeD constrainedSize(const std::optional<xcb_size_hints_t>& hints, SizeD size) {
    double width = std::max(1.0, std::round(size.width));
    double height = std::max(1.0, std::round(size.height));
    if (!hints) return {width, height};
    const auto has = [&](std::uint32_t flag) { return (hints->flags & flag) != 0; };
    double minWidth = 0, minHeight = 0;
    if (has(XCB_ICCCM_SIZE_HINT_P_MIN_SIZE)) {
        minWidth = hints->min_width;
        minHeight = hints->min_height;
    } else if (has(XCB_ICCCM_SIZE_HINT_BASE_SIZE)) {
        minWidth = hints->base_width;
        minHeight = hints->base_height;
    }
    if (has(XCB_ICCCM_SIZE_HINT_P_MAX_SIZE)) {
        if (hints->max_width > 0) width = std::min(width, static_cast<double>(hints->max_width));
        if (hints->max_height > 0)
            height = std::min(height, static_cast<double>(hints->max_height));
    }
    width = std::max(width, minWidth);
    height = std::max(height, minHeight);
    if (has(XCB_ICCCM_SIZE_HINT_P_RESIZE_INC)) {
        // The ICCCM counts increments from the base size, or the minimum size without one.
        double baseWidth = minWidth, baseHeight = minHeight;
        if (has(XCB_ICCCM_SIZE_HINT_BASE_SIZE)) {
            baseWidth = hints->base_width;
            baseHeight = hints->base_height;
        }
        if (hints->width_inc > 1) {
            width =
                baseWidth + std::floor((width - baseWidth) / hints->width_inc) * hints->width_inc;
        }
        if (hints->height_inc > 1) {
            height = baseHeight +
                     std::floor((height - baseHeight) / hints->height_inc) * hints->height_inc;
        }
    }
    return {width, height};
}

WindowGeometry toldBy(const xcb_configure_notify_event_t& notice, WindowGeometry geometry) {
    const double border = geometry.border;
    geometry.client.width = notice.width + 2 * border;
    geometry.client.height = notice.height + 2 * border;
    if (notice.response_type & 0x80) {
        geometry.client.x = notice.x + notice.border_width - border;
        geometry.client.y = notice.y + notice.border_width - border;
    }
    return geometry;
}

}  // namespace orvale::x11
