#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/DisplaySnapshot.h"
#include "model/Shortcut.h"
#include "model/Timestamp.h"
#include "model/Uuid.h"
#include "model/WindowEntry.h"

namespace orvale {

// A named, saved arrangement of windows and the displays they were saved on.
struct Layout {
    Uuid id;
    std::string name;
    Timestamp createdAt;
    Timestamp updatedAt;
    std::vector<DisplaySnapshot> displays;
    std::vector<WindowEntry> entries;
    std::optional<Shortcut> shortcut;
    bool automationEnabled = false;
    // Present exactly when the layout is linked to a display setup.
    std::optional<std::string> automationTopologySignature;

    bool operator==(const Layout&) const = default;

    std::set<std::string> displayKeys() const;
};

// An application whose windows are not captured, restored or undone.
struct AppExclusion {
    std::string bundleID;
    std::string appName;
    Timestamp createdAt;

    bool operator==(const AppExclusion&) const = default;
};

}  // namespace orvale
