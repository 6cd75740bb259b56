#include "platform/x11/Struts.h"

#include <algorithm>

namespace orvale::x11 {
namespace {

bool overlaps(const RectD& a, const RectD& b) {
    return a.width > 0 && a.height > 0 && a.x < b.x + b.width && b.x < a.x + a.width &&
           a.y < b.y + b.height && b.y < a.y + a.height;
}

// A strut's [start, end] range is inclusive.
double span(std::uint32_t start, std::uint32_t end) {
    return static_cast<double>(end) - static_cast<double>(start) + 1;
}

}  // namespace

RectD visibleArea(const RectD& monitor, SizeD rootSize,
                  const std::vector<std::vector<std::uint32_t>>& struts) {
    double left = monitor.x;
    double top = monitor.y;
    double right = monitor.x + monitor.width;
    double bottom = monitor.y + monitor.height;
    for (const auto& s : struts) {
        if (s.size() < 12) continue;
        const RectD leftBand{0, double(s[4]), double(s[0]), span(s[4], s[5])};
        const RectD rightBand{rootSize.width - s[1], double(s[6]), double(s[1]), span(s[6], s[7])};
        const RectD topBand{double(s[8]), 0, span(s[8], s[9]), double(s[2])};
        const RectD bottomBand{double(s[10]), rootSize.height - s[3], span(s[10], s[11]),
                               double(s[3])};
        if (overlaps(leftBand, monitor)) left = std::max(left, leftBand.x + leftBand.width);
        if (overlaps(rightBand, monitor)) right = std::min(right, rightBand.x);
        if (overlaps(topBand, monitor)) top = std::max(top, topBand.y + topBand.height);
        if (overlaps(bottomBand, monitor)) bottom = std::min(bottom, bottomBand.y);
    }
    return {left, top, std::max(0.0, right - left), std::max(0.0, bottom - top)};
}

}  // namespace orvale::x11
