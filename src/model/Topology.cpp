#include "model/Topology.h"

#include <cmath>

#include "model/DisplayOrder.h"

namespace orvale::Topology {

std::int64_t tenths(double value) {
    if (!std::isfinite(value)) return 0;
    const double product = value * 10.0;
    // The largest double below one half: adding it rounds exact halves away from
    // zero without pushing values just under a half over.
    const double rounded = std::trunc(product + std::copysign(0.49999999999999994, product));
    if (!(rounded > -9223372036854777856.0 && rounded < 9223372036854775808.0)) return 0;
    return static_cast<std::int64_t>(rounded);
}

std::string signature(const std::vector<DisplaySnapshot>& displays) {
    std::vector<DisplaySnapshot> ordered = displays;
    sortInDisplayOrder(ordered);
    std::string text;
    for (const DisplaySnapshot& d : ordered) {
        if (!text.empty()) text += '|';
        text += d.identity.key();
        text += '@';
        text += std::to_string(tenths(d.frame.x));
        text += ',';
        text += std::to_string(tenths(d.frame.y));
        text += ',';
        text += std::to_string(tenths(d.frame.width));
        text += 'x';
        text += std::to_string(tenths(d.frame.height));
        text += '/';
        text += std::to_string(d.pixelWidth);
        text += 'x';
        text += std::to_string(d.pixelHeight);
        text += '@';
        text += std::to_string(tenths(d.scale));
        text += d.isPrimary ? 'P' : 'S';
    }
    return text;
}

}  // namespace orvale::Topology
