#pragma once

#include <optional>
#include <string>

namespace orvale {

// Shown once to the user after opening, when opening changed something.
struct StorageNotice {
    std::string title;
    std::string message;
    std::optional<std::string> details;

    bool operator==(const StorageNotice&) const = default;
};

}  // namespace orvale
