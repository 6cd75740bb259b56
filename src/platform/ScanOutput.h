#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/WindowReference.h"

namespace orvale {

// What one scan of the open windows found. A scan never fails: every problem
// is reported here.
struct ScanOutput {
    std::vector<WindowReferencePtr> windows;
    int skippedCount = 0;
    bool permissionDenied = false;
    bool wasCancelled = false;
    bool timedOut = false;
    int scannedApplications = 0;
    int excludedWindowCount = 0;
    std::set<std::string> completedBundleIDs;
    std::set<std::string> incompleteBundleIDs;
};

}  // namespace orvale
