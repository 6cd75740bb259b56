#pragma once

#include <unordered_map>
#include <vector>

#include "model/DisplaySnapshot.h"
#include "model/Uuid.h"
#include "model/WindowEntry.h"
#include "platform/WindowReference.h"

namespace orvale {

// What a capture hands to the save flow: the displays and windows of a layout
// about to be saved, and the live window behind each entry.
struct CapturePreview {
    Uuid id;
    std::vector<DisplaySnapshot> displays;
    // In the order the save window lists them.
    std::vector<WindowEntry> entries;
    std::unordered_map<Uuid, WindowReferencePtr> references;
    int excludedWindowCount = 0;
    int unsupportedWindowCount = 0;
};

}  // namespace orvale
