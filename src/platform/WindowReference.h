#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/Geometry.h"
#include "model/Uuid.h"
#include "platform/AXTypes.h"

namespace orvale {

// A live window found by a scan. Immutable and shared: the restore engine, the
// resolution window and the overlays hold the same object; changes make a new
// reference with the same id.
struct WindowReference {
    Uuid id;
    AXElement element;
    std::int32_t pid = 0;
    std::string bundleID;
    std::string appName;
    std::string role;
    std::string subrole;
    std::optional<std::uint32_t> windowID;
    std::optional<std::string> hostname;
    RectD frame;

    bool operator==(const WindowReference&) const = default;

    // "App" or "App — host".
    std::string safeLabel() const;

    // Same id; the frame replaced, and the host name and window number replaced
    // only when given.
    WindowReference updating(const RectD& newFrame,
                             const std::optional<std::string>& newHostname = std::nullopt,
                             std::optional<std::uint32_t> newWindowID = std::nullopt) const;
    // Same id and window number; the frame and the host name (absent included)
    // replaced.
    WindowReference revalidated(const RectD& newFrame,
                                const std::optional<std::string>& newHostname) const;
};

using WindowReferencePtr = std::shared_ptr<const WindowReference>;

}  // namespace orvale
