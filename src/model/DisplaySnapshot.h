#pragma once

#include <cstdint>
#include <string>

#include "model/DisplayIdentity.h"
#include "model/Geometry.h"

namespace orvale {

// One display as saved in a layout, or a connected display converted for
// saving or comparison.
struct DisplaySnapshot {
    DisplayIdentity identity;
    RectD frame;
    RectD visibleFrame;
    std::int64_t pixelWidth = 0;
    std::int64_t pixelHeight = 0;
    double scale = 1;
    bool isPrimary = false;
    // The frame was copied from the visible frame by a schema upgrade rather
    // than measured; such layouts ask the user to link them again.
    bool frameInferred = false;

    bool operator==(const DisplaySnapshot&) const = default;

    std::string key() const { return identity.key(); }

    // Whether the snapshot may be written to or accepted from storage. The
    // identity is not checked, and the visible frame need not lie in the frame.
    bool isStorable() const;
};

}  // namespace orvale
