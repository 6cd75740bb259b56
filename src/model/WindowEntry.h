#pragma once

#include <optional>
#include <string>

#include "model/Geometry.h"
#include "model/Uuid.h"

namespace orvale {

// How a window is named to the user: "App", or "App — host" for a browser
// window with a known host.
std::string windowLabel(const std::string& appName, const std::optional<std::string>& hostname);

// One saved window: enough identity to find a matching window again, and its
// frame relative to the visible area of the layout display it was on.
struct WindowEntry {
    Uuid id;
    std::string bundleID;
    std::string appName;
    std::string role;
    std::string subrole;
    // The host of the page a browser window showed; absent for other windows.
    std::optional<std::string> hostname;
    std::string displayKey;
    RelativeFrame relativeFrame;

    bool operator==(const WindowEntry&) const = default;

    // How the entry is named to the user: "App" or "App — host".
    std::string label() const;
    // The relative size in whole percent, e.g. "50% × 100%".
    std::string geometryDescription() const;
};

}  // namespace orvale
