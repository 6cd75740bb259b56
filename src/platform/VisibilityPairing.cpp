#include "platform/VisibilityPairing.h"

#include <map>
#include <numeric>
#include <set>

namespace orvale {
namespace {

constexpr double kPairingTolerance = 8;

// Kuhn's augmenting-path search: pairs `window` with a free candidate, or takes
// over a candidate whose partner can move to another one.
bool augment(std::size_t window, const std::vector<std::vector<std::size_t>>& candidates,
             std::vector<bool>& visited, std::vector<std::optional<std::size_t>>& partnerOf) {
    for (std::size_t candidate : candidates[window]) {
        if (visited[candidate]) continue;
        visited[candidate] = true;
        if (!partnerOf[candidate] ||
            augment(*partnerOf[candidate], candidates, visited, partnerOf)) {
            partnerOf[candidate] = window;
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<VisibilityScan> visibilityEvidence(
    const std::vector<std::pair<AXElement, RectD>>& frames,
    const std::vector<OnScreenWindow>& visible, const std::function<bool()>& shouldStop) {
    const std::size_t count = frames.size();
    std::vector<std::vector<std::size_t>> candidates(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (shouldStop()) return std::nullopt;
        for (std::size_t j = 0; j < visible.size(); ++j) {
            if (frames[i].second.isApproximatelyEqual(visible[j].frame, kPairingTolerance)) {
                candidates[i].push_back(j);
            }
        }
    }

    // Windows that share a candidate, directly or through others, are decided
    // together.
    std::vector<std::size_t> parent(count);
    std::iota(parent.begin(), parent.end(), std::size_t{0});
    const auto root = [&](std::size_t i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    };
    std::vector<std::optional<std::size_t>> firstClaimant(visible.size());
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j : candidates[i]) {
            if (firstClaimant[j]) {
                parent[root(i)] = root(*firstClaimant[j]);
            } else {
                firstClaimant[j] = i;
            }
        }
    }
    std::map<std::size_t, std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < count; ++i) groups[root(i)].push_back(i);

    VisibilityScan scan;
    std::vector<std::optional<std::size_t>> partnerOf(visible.size());
    for (const auto& [groupRoot, members] : groups) {
        std::set<std::size_t> reachable;
        for (std::size_t i : members) reachable.insert(candidates[i].begin(), candidates[i].end());
        if (reachable.empty()) continue;
        bool paired = reachable.size() == members.size();
        for (std::size_t i = 0; paired && i < members.size(); ++i) {
            if (shouldStop()) return std::nullopt;
            std::vector<bool> visited(visible.size(), false);
            paired = augment(members[i], candidates, visited, partnerOf);
        }
        if (!paired) {
            scan.incomplete = true;
            continue;
        }
        for (std::size_t j : reachable) {
            const std::size_t window = *partnerOf[j];
            VisibilityEvidence evidence;
            if (members.size() == 1) evidence.windowID = visible[j].windowID;
            scan.evidence[frames[window].first] = evidence;
        }
    }
    return scan;
}

}  // namespace orvale
