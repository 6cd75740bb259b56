#include "platform/WindowReference.h"

namespace orvale {

std::string WindowReference::safeLabel() const {
    if (!hostname || hostname->empty()) return appName;
    return appName + " — " + *hostname;
}

WindowReference WindowReference::updating(const RectD& newFrame,
                                          const std::optional<std::string>& newHostname,
                                          std::optional<std::uint32_t> newWindowID) const {
    WindowReference copy = *this;
    copy.frame = newFrame;
    if (newHostname) copy.hostname = newHostname;
    if (newWindowID) copy.windowID = newWindowID;
    return copy;
}

WindowReference WindowReference::revalidated(const RectD& newFrame,
                                             const std::optional<std::string>& newHostname) const {
    WindowReference copy = *this;
    copy.frame = newFrame;
    copy.hostname = newHostname;
    return copy;
}

}  // namespace orvale
