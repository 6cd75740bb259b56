#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "model/Geometry.h"
#include "platform/Ports.h"

namespace orvale {

// One on-screen window of the window list, in the top-left global space.
struct OrderedWindow {
    std::uint32_t id = 0;
    RectD bounds;

    bool operator==(const OrderedWindow&) const = default;
};

// The window server's on-screen windows, front to back, without entries that
// lack a number, an alpha or bounds, entries whose alpha is 0.01 or less, and
// the windows numbered in `excluded`. Nothing when the list cannot be read.
std::optional<std::vector<OrderedWindow>> readWindowList(WindowServer& server,
                                                         const std::set<std::uint32_t>& excluded);

// `rects` with `cut` taken out of each: a rectangle that meets `cut` becomes
// the bands of it above and below the cut (full width) and the parts left and
// right of the cut within the cut's height, each kept only with a positive
// width and height. Rectangles that do not meet `cut` stay as they are.
std::vector<RectD> subtract(const RectD& cut, const std::vector<RectD>& rects);

// The parts of `target` that no occluder covers, in coordinates relative to
// the target's top-left corner, each grown by half a point on every side and
// kept only when more than 1 point wide and high. `occluders` are the windows
// in front of the target.
std::vector<RectD> visibleParts(const RectD& target, const std::vector<RectD>& occluders);

}  // namespace orvale
