#pragma once

#include <functional>
#include <optional>

#include "platform/CancellationFlag.h"
#include "platform/FrameApplyResult.h"
#include "platform/Ports.h"
#include "platform/WindowReference.h"

namespace orvale {

// Moves and resizes one window and verifies where it landed; the work behind
// WindowService::setFrame, which serialises calls to it.
FrameApplyResult writeFrame(Accessibility& ax, const RectD& target,
                            const WindowReference& reference, const CancellationFlag* cancellation,
                            const std::function<bool()>& writeGate,
                            const std::optional<RectD>& before);

}  // namespace orvale
