#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/Geometry.h"
#include "platform/AXTypes.h"
#include "platform/OnScreenWindow.h"

namespace orvale {

// Proof that an accessibility window is on the active desktop. The window
// number is known only when the pairing left no doubt which on-screen window
// it is.
struct VisibilityEvidence {
    std::optional<std::uint32_t> windowID;

    bool operator==(const VisibilityEvidence&) const = default;
};

struct VisibilityScan {
    std::unordered_map<AXElement, VisibilityEvidence> evidence;
    // Some windows could not be paired one to one, so the application's
    // windows are not fully known.
    bool incomplete = false;
};

// Pairs one application's accessibility windows (in the application's order,
// each with its frame) with its on-screen windows. Two windows can stand for
// each other when every value of their frames is within 8 points. Windows that
// share candidates form a group; a group is paired only when it reaches as many
// on-screen windows as it has accessibility windows and a one-to-one pairing
// exists, otherwise it is ambiguous and gets no evidence. `shouldStop` is asked
// before each window and each pairing attempt; nothing is returned once it
// answers true.
std::optional<VisibilityScan> visibilityEvidence(
    const std::vector<std::pair<AXElement, RectD>>& frames,
    const std::vector<OnScreenWindow>& visible, const std::function<bool()>& shouldStop);

}  // namespace orvale
