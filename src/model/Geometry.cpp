#include "model/Geometry.h"

#include <algorithm>
#include <cmath>

namespace orvale {

double roundHalfAwayFromZero(double value) {
    return std::round(value);
}

bool RectD::isUsableFrame() const {
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(width) && std::isfinite(height) &&
           width > 0 && height > 0;
}

bool RectD::isApproximatelyEqual(const RectD& other, double tolerance) const {
    // Written so that a NaN anywhere fails the comparison.
    return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance &&
           std::fabs(width - other.width) <= tolerance &&
           std::fabs(height - other.height) <= tolerance;
}

RectD RectD::clamped(const RectD& bounds, SizeD minimumSize) const {
    double newX = x;
    double newY = y;
    double w = width;
    double h = height;
    if (bounds.isUsableFrame()) {
        w = std::max(width, minimumSize.width);
        h = std::max(height, minimumSize.height);

        const double maxX = std::max(bounds.x + bounds.width - w, bounds.x);
        newX = std::min(maxX, std::max(x, bounds.x));

        const bool fits = bounds.height >= h || h < kTitleStripHeight;
        const double lowest =
            fits ? bounds.y + bounds.height - h : bounds.y + bounds.height - kTitleStripHeight;
        const double maxY = std::max(lowest, bounds.y);
        newY = std::min(maxY, std::max(y, bounds.y));
    }
    return {roundHalfAwayFromZero(newX), roundHalfAwayFromZero(newY), roundHalfAwayFromZero(w),
            roundHalfAwayFromZero(h)};
}

RelativeFrame RelativeFrame::make(const RectD& frame, const RectD& visibleFrame) {
    const RectD& f = frame;
    const RectD& v = visibleFrame;
    const bool finite = std::isfinite(f.x) && std::isfinite(f.y) && std::isfinite(f.width) &&
                        std::isfinite(f.height) && std::isfinite(v.x) && std::isfinite(v.y);
    const bool hasArea =
        std::isfinite(v.width) && std::isfinite(v.height) && v.width > 0 && v.height > 0;
    if (!finite || !hasArea) return {0, 0, 0.5, 0.5};
    return {(f.x - v.x) / v.width, (f.y - v.y) / v.height, f.width / v.width, f.height / v.height};
}

RectD RelativeFrame::absolute(const RectD& v) const {
    if (v.isUsableFrame()) {
        return {x * v.width + v.x, y * v.height + v.y, width * v.width, height * v.height};
    }
    return {x, y, width > 0 ? width : 0, height > 0 ? height : 0};
}

bool RelativeFrame::isStorable() const {
    constexpr double kLimit = 16;
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(width) && std::isfinite(height) &&
           std::fabs(x) <= kLimit && std::fabs(y) <= kLimit && width > 0 && width <= kLimit &&
           height > 0 && height <= kLimit;
}

}  // namespace orvale
