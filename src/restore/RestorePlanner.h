#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "model/Layout.h"
#include "platform/CurrentDisplay.h"
#include "platform/ScanOutput.h"
#include "platform/WindowService.h"
#include "restore/AmbiguousEntry.h"
#include "restore/DisplayMapper.h"
#include "restore/RestoreOptions.h"
#include "restore/RestoreResult.h"

namespace orvale {

// What a restore decided before moving anything.
struct RestorePlan {
    // Entries settled without a move, by entry id.
    EntryResults results;
    // Entries still looked for, in layout order; those that end up settled or
    // moved get a result, the rest are what a cancellation leaves unplanned.
    std::vector<WindowEntry> pending;
    std::vector<AmbiguousEntry> ambiguous;
    // One per window to write, in layout order.
    std::vector<MoveOperation> moves;
};

// The restore's planning, in the two halves around its one window scan.
// Neither half throws; both run on the restore's thread.
namespace RestorePlanner {

// Before the scan: skipped entries, entries of excluded applications and
// entries whose saved display has no counterpart in `mapping` are settled;
// every other entry is pending.
RestorePlan sortEntries(const Layout& layout, const DisplayMapping& mapping,
                        const std::set<std::string>& exclusions, const RestoreOptions& options);

// After the scan: entries of running applications the scan could not read
// completely are deferred; the rest are matched with the scanned windows (the
// user's earlier choices re-checked first), and each matched window's frame
// is read once (0.35 s at most) to plan its move, or to settle it as already
// in place or no longer available. Stops before the next matched entry once
// `cancelled` answers true.
void planMoves(RestorePlan& plan, const ScanOutput& scan, const DisplayMapping& mapping,
               const std::vector<CurrentDisplay>& displays, const std::set<std::string>& exclusions,
               const RestoreOptions& options, WindowService& windows,
               const std::function<bool()>& cancelled);

}  // namespace RestorePlanner

}  // namespace orvale
