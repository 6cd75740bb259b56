#pragma once

#include <vector>

#include "model/Clock.h"
#include "model/Layout.h"
#include "platform/CapturePreview.h"

namespace orvale::testing {

// A layout saved from a capture, with its entries as the test changed them.
inline Layout capturedLayout(const CapturePreview& preview, std::vector<WindowEntry> entries,
                             Clock& clock) {
    return Layout{.id = Uuid::generate(),
                  .name = "Desk",
                  .createdAt = clock.wallTime(),
                  .updatedAt = clock.wallTime(),
                  .displays = preview.displays,
                  .entries = std::move(entries),
                  .shortcut = std::nullopt,
                  .automationEnabled = false,
                  .automationTopologySignature = std::nullopt};
}

}  // namespace orvale::testing
