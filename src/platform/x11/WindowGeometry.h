#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <optional>

#include "model/Geometry.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

struct Extents {
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
};

// Where a client window is and what surrounds it, in root-window pixels.
struct WindowGeometry {
    // The client window itself, border included.
    RectD client;
    double border = 0;
    // Decorations the window manager draws around it (`_NET_FRAME_EXTENTS`).
    Extents decorations;
    // The invisible shadow of a window that draws its own decorations
    // (`_GTK_FRAME_EXTENTS`), which the user does not see as part of it.
    Extents shadow;
    // WM_NORMAL_HINTS, when the client set them.
    std::optional<xcb_size_hints_t> sizeHints;

    // The frame the user sees.
    RectD frame() const;
    // The client size, border excluded, that gives a frame of `frameSize`.
    SizeD clientSizeFor(SizeD frameSize) const;
    // The client size, border excluded, as the window manager sets it.
    SizeD clientSize() const { return {client.width - 2 * border, client.height - 2 * border}; }
    // The top-left corner of the outer frame for a seen frame at `x`, `y`.
    RectD outerFor(double x, double y) const;
    RectD outer() const;
};

struct GeometryRequests {
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t position;
    xcb_get_property_cookie_t decorations, shadow, sizeHints;
};

GeometryRequests requestGeometry(X11Connection& connection, xcb_window_t window);

ValueOr<WindowGeometry> collectGeometry(X11Connection& connection, const GeometryRequests& requests,
                                        Instant deadline);

// The geometry a ConfigureNotify reports, starting from the last reading. A
// window manager's synthetic notice places the client in root coordinates as
// if it still had the border it asked for; the server's own notice places it
// within its frame, so only its size is taken.
WindowGeometry toldBy(const xcb_configure_notify_event_t& notice, WindowGeometry geometry);

// The size a window manager that honours the ICCCM size hints gives a client
// asked for `size`: steps of the resize increment from the base size, within
// the minimum and maximum.
SizeD constrainedSize(const std::optional<xcb_size_hints_t>& hints, SizeD size);

}  // namespace orvale::x11
