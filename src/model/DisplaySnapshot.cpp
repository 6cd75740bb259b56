#include "model/DisplaySnapshot.h"

#include <cmath>

namespace orvale {
namespace {

bool isStorableDisplayRect(const RectD& r) {
    constexpr double kLimit = 1'000'000;
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) &&
           std::isfinite(r.height) && std::fabs(r.x) <= kLimit && std::fabs(r.y) <= kLimit &&
           r.width > 0 && r.width <= kLimit && r.height > 0 && r.height <= kLimit;
}

bool isStorablePixelCount(std::int64_t pixels) {
    return pixels >= 1 && pixels <= 100'000;
}

}  // namespace

bool DisplaySnapshot::isStorable() const {
    return isStorableDisplayRect(frame) && isStorableDisplayRect(visibleFrame) &&
           isStorablePixelCount(pixelWidth) && isStorablePixelCount(pixelHeight) &&
           std::isfinite(scale) && scale >= 0.5 && scale <= 4.0;
}

}  // namespace orvale
