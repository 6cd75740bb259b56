#pragma once

#include <string>
#include <vector>

#include "model/Uuid.h"
#include "platform/WindowReference.h"

namespace orvale {

// One candidate window with the number the user sees, both in the chooser and
// drawn over the window itself.
struct NumberedCandidate {
    int number = 0;  // 1-based
    WindowReferencePtr reference;

    const Uuid& id() const { return reference->id; }
    bool operator==(const NumberedCandidate& other) const;
};

// An entry the user must match by hand, with its candidates in on-screen order.
struct AmbiguousEntry {
    Uuid entryID;
    std::string label;
    std::string appName;
    std::vector<WindowReferencePtr> candidates;

    bool operator==(const AmbiguousEntry& other) const;

    std::vector<NumberedCandidate> numberedCandidates() const;
};

}  // namespace orvale
