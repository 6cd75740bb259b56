#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "model/Geometry.h"
#include "platform/Ports.h"

namespace orvale {

struct OrderedWindow {
    std::uint32_t id = 0;
    RectD bounds;

    bool operator==(const OrderedWindow&) const = default;
};

// The visible on-screen windows, front to back, of every layer: what can cover
// a window outlined on screen.
struct WindowListSnapshot {
    std::vector<OrderedWindow> windows;

    // Windows with a number outside `excluding`, alpha above 0.01 and both
    // sides above 1 point; nothing when the window server gives no list.
    static std::optional<WindowListSnapshot> read(WindowServer& windowServer,
                                                  const std::set<std::uint32_t>& excluding);
};

}  // namespace orvale
