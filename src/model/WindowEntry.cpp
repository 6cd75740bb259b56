#include "model/WindowEntry.h"

#include <cstdint>

namespace orvale {

std::string windowLabel(const std::string& appName, const std::optional<std::string>& hostname) {
    if (!hostname || hostname->empty()) return appName;
    return appName + " — " + *hostname;
}

std::string WindowEntry::label() const {
    return windowLabel(appName, hostname);
}

std::string WindowEntry::geometryDescription() const {
    auto percent = [](double fraction) {
        return std::to_string(static_cast<std::int64_t>(roundHalfAwayFromZero(fraction * 100)));
    };
    return percent(relativeFrame.width) + "% × " + percent(relativeFrame.height) + "%";
}

}  // namespace orvale
