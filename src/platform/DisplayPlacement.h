#pragma once

#include <optional>
#include <vector>

#include "model/Geometry.h"
#include "platform/CurrentDisplay.h"

namespace orvale {

// The display a frame belongs to: the one it overlaps most, the earlier on
// ties; when it overlaps none, the one nearest the frame's centre. Nothing
// without displays.
std::optional<CurrentDisplay> displayFor(const RectD& frame,
                                         const std::vector<CurrentDisplay>& displays);
// The same rule over bare display frames, giving the index of the winner.
std::optional<std::size_t> displayIndexFor(const RectD& frame,
                                           const std::vector<RectD>& displayFrames);

// Covers some display entirely: every value within 3 points of its frame.
bool isFullscreen(const RectD& frame, const std::vector<CurrentDisplay>& displays);

}  // namespace orvale
