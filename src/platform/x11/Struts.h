#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/Geometry.h"
#include "platform/x11/X11Connection.h"

namespace orvale::x11 {

// Twelve `_NET_WM_STRUT_PARTIAL` values, measured from the root window's edges.
using Strut = std::vector<std::uint32_t>;

// The struts of every viewable top-level window: the managed clients and
// whatever the window manager draws itself, such as its own panel, which is
// not in the managed list. Top-level windows are found as ICCCM says: below
// each child of the root, down to the first window that has WM_STATE, one
// round trip per level; inside the frame of a managed client only the way to
// the client is followed, never the window manager's decorations. A plain
// `_NET_WM_STRUT` is widened to whole edges.
// Nothing when the windows cannot be read by `deadline`.
std::optional<std::vector<Strut>> readStruts(X11Connection& connection, Instant deadline);

// The part of `monitor` that the struts leave free. Only struts that overlap
// the monitor take anything from it.
RectD visibleArea(const RectD& monitor, SizeD rootSize, const std::vector<Strut>& struts);

// `visible` within the window manager's work area, which also leaves out
// panels that set no strut; `visible` itself when the two do not overlap.
RectD withinWorkArea(const RectD& visible, const RectD& workArea);

}  // namespace orvale::x11
