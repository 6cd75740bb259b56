#pragma once

#include <map>
#include <string>
#include <vector>

#include "model/DisplaySnapshot.h"
#include "platform/CurrentDisplay.h"

namespace orvale {

// Which connected display stands in for each saved display, by saved display key.
struct DisplayMapping {
    std::map<std::string, CurrentDisplay> assignments;
    // Some display was placed by its arrangement alone rather than its identity
    // or the user's choice.
    bool usedTopologyFallback = false;

    bool operator==(const DisplayMapping&) const = default;
};

// A saved display without a counterpart, described for the user to replace.
struct MissingDisplay {
    std::string savedDisplayKey;
    std::string description;  // "Display 2 · 2560 × 1440"

    bool operator==(const MissingDisplay&) const = default;
    const std::string& id() const { return savedDisplayKey; }
};

namespace DisplayMapper {

// The most displays the arrangement fallback considers: it tries every pairing,
// and seven displays would already be 5040 of them.
inline constexpr std::size_t kMaximumFallbackDisplays = 6;

// Identity first, then `fallbacks` (saved key → connected key, chosen by the
// user), then, when allowed, the one pairing of the remaining displays that
// keeps their sizes and arrangement; an ambiguous pairing is never guessed.
DisplayMapping map(const std::vector<DisplaySnapshot>& saved,
                   const std::vector<CurrentDisplay>& current,
                   const std::map<std::string, std::string>& fallbacks, bool allowTopologyFallback);

// Numbered by position among all saved displays from left to right, so the
// numbers agree with how the user sees them arranged.
std::vector<MissingDisplay> missingDisplays(const std::vector<DisplaySnapshot>& saved,
                                            const DisplayMapping& mapping);

}  // namespace DisplayMapper

}  // namespace orvale
