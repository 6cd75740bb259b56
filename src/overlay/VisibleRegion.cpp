#include "overlay/VisibleRegion.h"

#include <algorithm>

namespace orvale {
namespace {

constexpr double kMinimumAlpha = 0.01;
constexpr double kGrowth = 0.5;
constexpr double kSmallestPart = 1;

std::optional<RectD> intersection(const RectD& a, const RectD& b) {
    const double left = std::max(a.x, b.x);
    const double top = std::max(a.y, b.y);
    const double right = std::min(a.x + a.width, b.x + b.width);
    const double bottom = std::min(a.y + a.height, b.y + b.height);
    if (!(right > left && bottom > top)) return std::nullopt;
    return RectD{left, top, right - left, bottom - top};
}

}  // namespace

std::optional<std::vector<OrderedWindow>> readWindowList(WindowServer& server,
                                                         const std::set<std::uint32_t>& excluded) {
    const auto list = server.onScreenWindows();
    if (!list) return std::nullopt;
    std::vector<OrderedWindow> windows;
    for (const WindowInfo& info : *list) {
        if (!info.number || !info.alpha || !info.bounds) continue;
        if (*info.alpha <= kMinimumAlpha || excluded.contains(*info.number)) continue;
        windows.push_back({*info.number, *info.bounds});
    }
    return windows;
}

std::vector<RectD> subtract(const RectD& cut, const std::vector<RectD>& rects) {
    std::vector<RectD> parts;
    const auto keep = [&parts](double x, double y, double width, double height) {
        if (width > 0 && height > 0) parts.push_back({x, y, width, height});
    };
    for (const RectD& r : rects) {
        const auto i = intersection(r, cut);
        if (!i) {
            parts.push_back(r);
            continue;
        }
        keep(r.x, r.y, r.width, i->y - r.y);
        keep(r.x, i->y + i->height, r.width, r.y + r.height - (i->y + i->height));
        keep(r.x, i->y, i->x - r.x, i->height);
        keep(i->x + i->width, i->y, r.x + r.width - (i->x + i->width), i->height);
    }
    return parts;
}

std::vector<RectD> visibleParts(const RectD& target, const std::vector<RectD>& occluders) {
    std::vector<RectD> visible{target};
    for (const RectD& occluder : occluders) {
        if (!intersection(occluder, target)) continue;
        visible = subtract(occluder, visible);
        if (visible.empty()) break;
    }
    std::vector<RectD> parts;
    for (const RectD& rect : visible) {
        const RectD grown{rect.x - target.x - kGrowth, rect.y - target.y - kGrowth,
                          rect.width + 2 * kGrowth, rect.height + 2 * kGrowth};
        if (grown.width > kSmallestPart && grown.height > kSmallestPart) parts.push_back(grown);
    }
    return parts;
}

}  // namespace orvale
