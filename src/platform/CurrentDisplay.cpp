#include "platform/CurrentDisplay.h"

namespace orvale {

std::vector<DisplaySnapshot> snapshots(const std::vector<CurrentDisplay>& displays) {
    std::vector<DisplaySnapshot> result;
    result.reserve(displays.size());
    for (const CurrentDisplay& display : displays) result.push_back(display.snapshot());
    return result;
}

std::string Topology::signature(const std::vector<CurrentDisplay>& displays) {
    return signature(snapshots(displays));
}

}  // namespace orvale
