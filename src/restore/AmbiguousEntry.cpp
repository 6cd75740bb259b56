#include "restore/AmbiguousEntry.h"

#include <algorithm>

namespace orvale {
namespace {

bool sameReference(const WindowReferencePtr& a, const WindowReferencePtr& b) {
    if (!a || !b) return a == b;
    return *a == *b;
}

// Compares the windows referred to, not where they are held.
bool sameReferences(const std::vector<WindowReferencePtr>& a,
                    const std::vector<WindowReferencePtr>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameReference);
}

}  // namespace

bool NumberedCandidate::operator==(const NumberedCandidate& other) const {
    return number == other.number && sameReference(reference, other.reference);
}

bool AmbiguousEntry::operator==(const AmbiguousEntry& other) const {
    return entryID == other.entryID && label == other.label && appName == other.appName &&
           sameReferences(candidates, other.candidates);
}

std::vector<NumberedCandidate> AmbiguousEntry::numberedCandidates() const {
    std::vector<NumberedCandidate> numbered;
    numbered.reserve(candidates.size());
    for (const auto& candidate : candidates) {
        numbered.push_back({static_cast<int>(numbered.size()) + 1, candidate});
    }
    return numbered;
}

}  // namespace orvale
