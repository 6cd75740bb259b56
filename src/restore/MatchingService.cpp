#include "restore/MatchingService.h"

#include <algorithm>
#include <functional>

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include "platform/AXTypes.h"

namespace orvale::MatchingService {
namespace {

using Windows = std::vector<WindowReferencePtr>;
using Matched = std::unordered_map<Uuid, WindowReferencePtr>;
using Used = std::unordered_set<AXElement>;
using Predicate = std::function<bool(const WindowEntry&, const WindowReference&)>;

bool hasHostname(const std::optional<std::string>& hostname) {
    return hostname && !hostname->empty();
}

bool sameHostIgnoringCase(const std::string& a, const std::string& b) {
    return icu::UnicodeString::fromUTF8(a).caseCompare(icu::UnicodeString::fromUTF8(b),
                                                       U_FOLD_CASE_DEFAULT) == 0;
}

// Assigns a window to an entry only when neither side has an alternative: the
// entry can claim just that window and no other open entry claims it too.
// Passes repeat because each assignment can leave another entry with one claim.
void assignUniquely(const std::vector<const WindowEntry*>& entries, const Windows& windows,
                    const Predicate& predicate, Matched& matched, Used& used) {
    if (entries.empty()) return;

    Windows pool;
    for (const auto& window : windows) {
        if (!used.contains(window->element)) pool.push_back(window);
    }
    std::vector<std::unordered_set<AXElement>> claimed(entries.size());
    std::vector<Windows> claims(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (const auto& window : pool) {
            if (predicate(*entries[i], *window)) {
                claims[i].push_back(window);
                claimed[i].insert(window->element);
            }
        }
    }

    bool changed = true;
    while (changed) {
        changed = false;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (matched.contains(entries[i]->id)) continue;
            WindowReferencePtr only;
            int left = 0;
            for (const auto& window : claims[i]) {
                if (used.contains(window->element)) continue;
                only = window;
                ++left;
            }
            if (left != 1) continue;
            const AXElement identity = only->element;
            bool contested = false;
            for (std::size_t j = 0; j < entries.size() && !contested; ++j) {
                contested =
                    j != i && !matched.contains(entries[j]->id) && claimed[j].contains(identity);
            }
            if (contested) continue;
            matched[entries[i]->id] = only;
            used.insert(identity);
            changed = true;
        }
    }
}

bool isEarlierCandidate(const WindowReferencePtr& a, const WindowReferencePtr& b) {
    if (a->frame.y != b->frame.y) return a->frame.y < b->frame.y;
    if (a->frame.x != b->frame.x) return a->frame.x < b->frame.x;
    return a->appName < b->appName;
}

}  // namespace

bool isCompatible(const WindowEntry& entry, const WindowReference& window) {
    return entry.bundleID == window.bundleID && entry.role == window.role &&
           entry.subrole == window.subrole;
}

MatchResolution resolve(const std::vector<WindowEntry>& entries, const Windows& windows,
                        const Matched& preferred, const std::unordered_set<Uuid>& explicitEntryIDs,
                        const std::set<std::string>& excludedBundleIDs) {
    std::vector<const WindowEntry*> eligible;
    for (const auto& entry : entries) {
        if (!excludedBundleIDs.contains(entry.bundleID)) eligible.push_back(&entry);
    }
    Windows available;
    for (const auto& window : windows) {
        if (window && !excludedBundleIDs.contains(window->bundleID)) available.push_back(window);
    }

    MatchResolution resolution;
    Matched& matched = resolution.matched;
    Used used;

    for (const WindowEntry* entry : eligible) {
        const auto choice = preferred.find(entry->id);
        if (choice == preferred.end() || !choice->second) continue;
        const WindowReferencePtr& window = choice->second;
        if (used.contains(window->element) || !isCompatible(*entry, *window)) continue;
        matched[entry->id] = window;
        used.insert(window->element);
    }

    std::vector<const WindowEntry*> remaining;
    for (const WindowEntry* entry : eligible) {
        if (!matched.contains(entry->id)) remaining.push_back(entry);
    }

    std::vector<const WindowEntry*> withHost;
    for (const WindowEntry* entry : remaining) {
        if (!explicitEntryIDs.contains(entry->id) && hasHostname(entry->hostname)) {
            withHost.push_back(entry);
        }
    }
    assignUniquely(
        withHost, available,
        [](const WindowEntry& entry, const WindowReference& window) {
            return isCompatible(entry, window) && hasHostname(window.hostname) &&
                   sameHostIgnoringCase(*entry.hostname, *window.hostname);
        },
        matched, used);

    std::vector<const WindowEntry*> automatic;
    for (const WindowEntry* entry : remaining) {
        if (!matched.contains(entry->id) && !explicitEntryIDs.contains(entry->id)) {
            automatic.push_back(entry);
        }
    }
    assignUniquely(automatic, available, isCompatible, matched, used);

    for (const WindowEntry* entry : remaining) {
        if (matched.contains(entry->id)) continue;
        Windows candidates;
        for (const auto& window : available) {
            if (!used.contains(window->element) && isCompatible(*entry, *window)) {
                candidates.push_back(window);
            }
        }
        if (candidates.empty()) {
            resolution.unmatched.push_back(entry->id);
            continue;
        }
        std::stable_sort(candidates.begin(), candidates.end(), isEarlierCandidate);
        resolution.candidates[entry->id] = std::move(candidates);
    }
    return resolution;
}

std::unordered_set<Uuid> duplicateExplicitEntryIDs(const Matched& preferred) {
    std::unordered_map<AXElement, std::vector<Uuid>> byWindow;
    for (const auto& [entryID, window] : preferred) {
        if (window) byWindow[window->element].push_back(entryID);
    }
    std::unordered_set<Uuid> duplicates;
    for (const auto& [identity, entryIDs] : byWindow) {
        if (entryIDs.size() > 1) duplicates.insert(entryIDs.begin(), entryIDs.end());
    }
    return duplicates;
}

}  // namespace orvale::MatchingService
