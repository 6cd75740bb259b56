#include "platform/DisplayService.h"

#include "model/DisplayOrder.h"

namespace orvale {

std::vector<CurrentDisplay> DisplayService::currentDisplays() const {
    const ScreenList list = screens_.screens();
    std::vector<CurrentDisplay> displays;
    displays.reserve(list.screens.size());
    for (const ScreenInfo& screen : list.screens) {
        if (!screen.displayID) continue;
        displays.push_back(CurrentDisplay{
            .identity = screen.identity,
            .cgDisplayID = *screen.displayID,
            .name = screen.localizedName,
            .frame = flippedVertically(screen.frame, list.mainDisplayHeight),
            .visibleFrame = flippedVertically(screen.visibleFrame, list.mainDisplayHeight),
            .pixelWidth = screen.pixelWidth,
            .pixelHeight = screen.pixelHeight,
            .scale = screen.backingScaleFactor,
            .isPrimary = *screen.displayID == list.mainDisplayID,
        });
    }
    sortInDisplayOrder(displays);
    return displays;
}

}  // namespace orvale
