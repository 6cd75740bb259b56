#pragma once

#include <xcb/randr.h>

#include <optional>
#include <vector>

#include "model/Geometry.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// One RandR monitor: a rectangle of the root window that is shown as one display.
struct Monitor {
    xcb_atom_t name = XCB_NONE;
    // In root-window pixels.
    RectD bounds;
    bool primary = false;
    std::vector<xcb_randr_output_t> outputs;
};

// The active monitors in RandR's order; nothing when they cannot be read.
std::optional<std::vector<Monitor>> readMonitors(X11Connection& connection, Instant deadline);

// The same read in two halves, so that it can share a round trip with other
// requests: nothing is sent when the server has no monitors.
std::optional<xcb_randr_get_monitors_cookie_t> requestMonitors(X11Connection& connection);
std::optional<std::vector<Monitor>> collectMonitors(
    X11Connection& connection, const std::optional<xcb_randr_get_monitors_cookie_t>& request,
    Instant deadline);

// The monitor RandR calls primary; the first one when none is marked.
const Monitor* primaryMonitor(const std::vector<Monitor>& monitors);

// The global space has its origin at the primary monitor's top-left corner;
// root-window coordinates differ from it by this offset.
struct Origin {
    double x = 0;
    double y = 0;

    RectD fromRoot(const RectD& rect) const {
        return {rect.x - x, rect.y - y, rect.width, rect.height};
    }
};

// The origin of the global space; the root's own origin when there are no monitors.
Origin globalOrigin(const std::vector<Monitor>& monitors);

}  // namespace orvale::x11
