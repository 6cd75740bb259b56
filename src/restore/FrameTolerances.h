#pragma once

#include <optional>

#include "model/Geometry.h"

namespace orvale {

// A window counts as where it was asked to be within this many points.
inline constexpr double kAtTargetTolerance = 4;
// Frames closer than this in every value are the same frame.
inline constexpr double kSameFrameTolerance = 0.5;
// Smallest frame a restore or undo gives a window.
inline constexpr SizeD kMinimumWindowSize{80, 60};

// Whether a frame read after a write differs from the one before it.
inline bool hasMoved(const std::optional<RectD>& before, const std::optional<RectD>& after) {
    return before && after && !before->isApproximatelyEqual(*after, kSameFrameTolerance);
}

}  // namespace orvale
