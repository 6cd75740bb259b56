#include "platform/WindowListSnapshot.h"

namespace orvale {

std::optional<WindowListSnapshot> WindowListSnapshot::read(
    WindowServer& windowServer, const std::set<std::uint32_t>& excluding) {
    const auto list = windowServer.onScreenWindows();
    if (!list) return std::nullopt;
    WindowListSnapshot snapshot;
    for (const WindowInfo& info : *list) {
        if (!info.number || !info.alpha || !info.bounds) continue;
        if (!(*info.alpha > 0.01) || !(info.bounds->width > 1 && info.bounds->height > 1)) continue;
        if (excluding.contains(*info.number)) continue;
        snapshot.windows.push_back({*info.number, *info.bounds});
    }
    return snapshot;
}

}  // namespace orvale
