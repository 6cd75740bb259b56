#include "restore/DisplayMapper.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <optional>
#include <set>

#include "model/DisplayOrder.h"

namespace orvale::DisplayMapper {
namespace {

constexpr double kArrangementTolerance = 8;
constexpr double kScaleTolerance = 0.01;
constexpr double kMinimumPixelTolerance = 8;

struct Anchor {
    const DisplaySnapshot* saved;
    const CurrentDisplay* current;
};

const CurrentDisplay* findByKey(const std::vector<CurrentDisplay>& displays,
                                const std::string& key) {
    for (const auto& display : displays) {
        if (display.id() == key) return &display;
    }
    return nullptr;
}

// In doubles, so that absurd stored sizes cannot overflow the difference.
bool pixelsClose(std::int64_t saved, std::int64_t current) {
    const double tolerance = std::max(kMinimumPixelTolerance, std::floor(0.05 * saved));
    return std::abs(static_cast<double>(saved) - static_cast<double>(current)) <= tolerance;
}

bool looksAlike(const DisplaySnapshot& saved, const CurrentDisplay& current) {
    return saved.pixelWidth >= 1 && saved.pixelHeight >= 1 &&
           pixelsClose(saved.pixelWidth, current.pixelWidth) &&
           pixelsClose(saved.pixelHeight, current.pixelHeight) &&
           std::abs(saved.scale - current.scale) <= kScaleTolerance &&
           saved.isPrimary == current.isPrimary;
}

bool sameOffset(const RectD& savedA, const RectD& savedB, const RectD& currentA,
                const RectD& currentB) {
    return std::abs((savedA.x - savedB.x) - (currentA.x - currentB.x)) <= kArrangementTolerance &&
           std::abs((savedA.y - savedB.y) - (currentA.y - currentB.y)) <= kArrangementTolerance;
}

bool keepsArrangement(const std::vector<const DisplaySnapshot*>& saved,
                      const std::vector<const CurrentDisplay*>& current,
                      const std::vector<Anchor>& anchors) {
    for (std::size_t i = 0; i < saved.size(); ++i) {
        for (std::size_t j = i + 1; j < saved.size(); ++j) {
            if (!sameOffset(saved[i]->frame, saved[j]->frame, current[i]->frame,
                            current[j]->frame)) {
                return false;
            }
        }
        for (const Anchor& anchor : anchors) {
            if (!sameOffset(saved[i]->frame, anchor.saved->frame, current[i]->frame,
                            anchor.current->frame)) {
                return false;
            }
        }
    }
    return true;
}

// The pairing of `saved[i]` with the returned `[i]`, when exactly one exists.
std::optional<std::vector<const CurrentDisplay*>> uniqueCompatibleAssignment(
    const std::vector<const DisplaySnapshot*>& saved,
    const std::vector<const CurrentDisplay*>& current, const std::vector<Anchor>& anchors) {
    std::set<std::pair<double, double>> origins;
    for (const DisplaySnapshot* display : saved) {
        // A damaged origin can neither be compared nor arranged.
        if (!std::isfinite(display->frame.x) || !std::isfinite(display->frame.y)) {
            return std::nullopt;
        }
        const bool fresh = origins
                               .insert({roundHalfAwayFromZero(display->frame.x),
                                        roundHalfAwayFromZero(display->frame.y)})
                               .second;
        if (!fresh) return std::nullopt;
    }
    const auto primaries = [](const auto& list) {
        return std::count_if(list.begin(), list.end(), [](auto* d) { return d->isPrimary; });
    };
    if (primaries(saved) != primaries(current)) return std::nullopt;

    std::vector<std::size_t> order(current.size());
    std::iota(order.begin(), order.end(), 0);
    std::optional<std::vector<const CurrentDisplay*>> found;
    do {
        std::vector<const CurrentDisplay*> paired;
        for (std::size_t i = 0; i < saved.size(); ++i) {
            if (!looksAlike(*saved[i], *current[order[i]])) break;
            paired.push_back(current[order[i]]);
        }
        if (paired.size() != saved.size() || !keepsArrangement(saved, paired, anchors)) continue;
        if (found) return std::nullopt;
        found = std::move(paired);
    } while (std::next_permutation(order.begin(), order.end()));
    return found;
}

}  // namespace

DisplayMapping map(const std::vector<DisplaySnapshot>& saved,
                   const std::vector<CurrentDisplay>& current,
                   const std::map<std::string, std::string>& fallbacks,
                   bool allowTopologyFallback) {
    DisplayMapping mapping;
    std::set<std::string> usedKeys;
    std::vector<Anchor> anchors;

    for (const auto& display : saved) {
        const CurrentDisplay* same = findByKey(current, display.key());
        if (!same) continue;
        mapping.assignments.insert_or_assign(display.key(), *same);
        usedKeys.insert(same->id());
        anchors.push_back({&display, same});
    }

    for (const auto& display : saved) {
        if (mapping.assignments.contains(display.key())) continue;
        const auto choice = fallbacks.find(display.key());
        if (choice == fallbacks.end()) continue;
        // Two saved displays may share one replacement, so a used key is fine.
        const CurrentDisplay* replacement = findByKey(current, choice->second);
        if (!replacement) continue;
        mapping.assignments.insert_or_assign(display.key(), *replacement);
        usedKeys.insert(replacement->id());
    }

    if (!allowTopologyFallback) return mapping;
    std::vector<const DisplaySnapshot*> unmapped;
    for (const auto& display : saved) {
        if (!mapping.assignments.contains(display.key())) unmapped.push_back(&display);
    }
    std::vector<const CurrentDisplay*> unused;
    for (const auto& display : current) {
        if (!usedKeys.contains(display.id())) unused.push_back(&display);
    }
    if (unmapped.empty() || unmapped.size() != unused.size() ||
        unmapped.size() > kMaximumFallbackDisplays) {
        return mapping;
    }
    const auto assignment = uniqueCompatibleAssignment(unmapped, unused, anchors);
    if (!assignment) return mapping;
    for (std::size_t i = 0; i < unmapped.size(); ++i) {
        mapping.assignments.insert_or_assign(unmapped[i]->key(), *(*assignment)[i]);
    }
    mapping.usedTopologyFallback = true;
    return mapping;
}

std::vector<MissingDisplay> missingDisplays(const std::vector<DisplaySnapshot>& saved,
                                            const DisplayMapping& mapping) {
    std::vector<DisplaySnapshot> ordered = saved;
    sortInDisplayOrder(ordered);
    std::vector<MissingDisplay> missing;
    for (std::size_t k = 1; k <= ordered.size(); ++k) {
        const DisplaySnapshot& display = ordered[k - 1];
        if (mapping.assignments.contains(display.key())) continue;
        missing.push_back({display.key(), "Display " + std::to_string(k) + " · " +
                                              std::to_string(display.pixelWidth) + " × " +
                                              std::to_string(display.pixelHeight)});
    }
    return missing;
}

}  // namespace orvale::DisplayMapper
