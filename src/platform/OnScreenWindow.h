#pragma once

#include <cstdint>
#include <vector>

#include "model/Geometry.h"
#include "platform/Ports.h"

namespace orvale {

// A window the window server shows on the active desktop, as the window
// finding rules use it.
struct OnScreenWindow {
    std::int32_t pid = 0;
    std::uint32_t windowID = 0;
    RectD frame;

    bool operator==(const OnScreenWindow&) const = default;
};

// The on-screen windows, front to back, that can stand for an application's
// ordinary window: every value present, not this program's own, layer 0,
// visible (alpha above 0.01) and at least 50 × 40 points. Empty when the
// window server gives no list.
std::vector<OnScreenWindow> activeDesktopWindows(WindowServer& windowServer, std::int32_t ownPID);

}  // namespace orvale
