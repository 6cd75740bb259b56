#include "platform/OnScreenWindow.h"

namespace orvale {

std::vector<OnScreenWindow> activeDesktopWindows(WindowServer& windowServer, std::int32_t ownPID) {
    std::vector<OnScreenWindow> result;
    const auto list = windowServer.onScreenWindows();
    if (!list) return result;
    for (const WindowInfo& info : *list) {
        if (!info.ownerPID || !info.number || !info.layer || !info.alpha || !info.bounds) continue;
        if (*info.ownerPID == ownPID || *info.layer != 0 || !(*info.alpha > 0.01)) continue;
        if (!(info.bounds->width >= 50 && info.bounds->height >= 40)) continue;
        result.push_back({*info.ownerPID, *info.number, *info.bounds});
    }
    return result;
}

}  // namespace orvale
