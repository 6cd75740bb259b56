#pragma once

#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/Uuid.h"
#include "model/WindowEntry.h"
#include "platform/WindowReference.h"

namespace orvale {

// How the entries of one restore relate to the open windows. Every entry given
// to `resolve` whose application is not excluded is in exactly one group.
struct MatchResolution {
    std::unordered_map<Uuid, WindowReferencePtr> matched;
    // Never empty lists, ordered top to bottom, then left to right.
    std::unordered_map<Uuid, std::vector<WindowReferencePtr>> candidates;
    // In entry order.
    std::vector<Uuid> unmatched;
};

// Decides which open window each saved entry stands for, from identity alone
// (application, role, subrole, page host). Geometry, titles and window order
// never decide a match: a wrong guess would move the wrong window, so anything
// doubtful is left to the user.
namespace MatchingService {

// Same application, role and subrole, compared exactly.
bool isCompatible(const WindowEntry& entry, const WindowReference& window);

// `preferred` holds windows the user chose earlier and is honoured first;
// entries in `explicitEntryIDs` are never matched automatically.
MatchResolution resolve(const std::vector<WindowEntry>& entries,
                        const std::vector<WindowReferencePtr>& windows,
                        const std::unordered_map<Uuid, WindowReferencePtr>& preferred,
                        const std::unordered_set<Uuid>& explicitEntryIDs,
                        const std::set<std::string>& excludedBundleIDs);

// The entries whose chosen window was also chosen for another entry.
std::unordered_set<Uuid> duplicateExplicitEntryIDs(
    const std::unordered_map<Uuid, WindowReferencePtr>& preferred);

}  // namespace MatchingService

}  // namespace orvale
