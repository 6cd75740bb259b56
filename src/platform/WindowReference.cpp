#include "platform/WindowReference.h"

#include "model/WindowEntry.h"

namespace orvale {

std::string WindowReference::safeLabel() const {
    return windowLabel(appName, hostname);
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
