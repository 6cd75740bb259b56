#include "platform/DisplayPlacement.h"

#include <algorithm>
#include <cmath>

namespace orvale {
namespace {

double overlapArea(const RectD& a, const RectD& b) {
    const double width = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const double height = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return std::max(width, 0.0) * std::max(height, 0.0);
}

double distanceToRect(double x, double y, const RectD& rect) {
    const double dx = std::max({rect.x - x, 0.0, x - (rect.x + rect.width)});
    const double dy = std::max({rect.y - y, 0.0, y - (rect.y + rect.height)});
    return std::hypot(dx, dy);
}

constexpr double kFullscreenTolerance = 3;

}  // namespace

std::optional<std::size_t> displayIndexFor(const RectD& frame,
                                           const std::vector<RectD>& displayFrames) {
    if (displayFrames.empty()) return std::nullopt;
    std::size_t best = 0;
    double bestArea = 0;
    for (std::size_t i = 0; i < displayFrames.size(); ++i) {
        const double area = overlapArea(frame, displayFrames[i]);
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    if (bestArea > 0) return best;

    const double centreX = frame.x + frame.width / 2;
    const double centreY = frame.y + frame.height / 2;
    double bestDistance = distanceToRect(centreX, centreY, displayFrames[0]);
    for (std::size_t i = 1; i < displayFrames.size(); ++i) {
        const double distance = distanceToRect(centreX, centreY, displayFrames[i]);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

std::optional<CurrentDisplay> displayFor(const RectD& frame,
                                         const std::vector<CurrentDisplay>& displays) {
    std::vector<RectD> frames;
    frames.reserve(displays.size());
    for (const CurrentDisplay& display : displays) frames.push_back(display.frame);
    const auto index = displayIndexFor(frame, frames);
    if (!index) return std::nullopt;
    return displays[*index];
}

bool isFullscreen(const RectD& frame, const std::vector<CurrentDisplay>& displays) {
    return std::any_of(displays.begin(), displays.end(), [&](const CurrentDisplay& display) {
        return frame.isApproximatelyEqual(display.frame, kFullscreenTolerance);
    });
}

}  // namespace orvale
