#pragma once

#include <cstdint>
#include <vector>

#include "model/Geometry.h"
#include "model/HighlightColor.h"

namespace orvale {

// A window that was put back, to outline briefly.
struct FlashTarget {
    std::uint32_t windowID = 0;
    RectD frame;

    bool operator==(const FlashTarget&) const = default;
};

// What the model draws over other applications' windows: the numbered
// candidate markers of a window choice and the outline of restored windows.
// Main thread only.
class Overlays {
  public:
    virtual ~Overlays() = default;
    virtual void clearMarkers() = 0;
    virtual void flash(const std::vector<FlashTarget>& targets, HighlightColor color) = 0;
};

}  // namespace orvale
