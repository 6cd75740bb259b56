#include "restore/RestorePlanner.h"

#include <unordered_set>

#include "restore/FrameTolerances.h"
#include "restore/MatchingService.h"
#include "restore/OutcomeTexts.h"

namespace orvale::RestorePlanner {
namespace {

constexpr double kPlanningReadTimeout = 0.35;

void settle(RestorePlan& plan, const WindowEntry& entry, EntryOutcome outcome, std::string detail) {
    plan.results.insert_or_assign(entry.id,
                                  EntryResult::make(subjectOf(entry), outcome, std::move(detail)));
}

// Entries of running applications whose windows the scan did not finish
// reading. Their windows may well be there, so calling them "not open" would
// be wrong; they wait for another try.
void deferUnfinished(RestorePlan& plan, const ScanOutput& scan,
                     const std::set<std::string>& running) {
    std::set<std::string> incomplete = scan.incompleteBundleIDs;
    if (scan.timedOut) {
        for (const WindowEntry& entry : plan.pending) {
            if (!scan.completedBundleIDs.contains(entry.bundleID)) {
                incomplete.insert(entry.bundleID);
            }
        }
    }
    std::erase_if(plan.pending, [&](const WindowEntry& entry) {
        if (!running.contains(entry.bundleID) || !incomplete.contains(entry.bundleID)) {
            return false;
        }
        settle(plan, entry, EntryOutcome::deferred,
               scan.timedOut ? OutcomeText::scanTimedOut : OutcomeText::discoveryIncomplete);
        return true;
    });
}

// The windows the user chose earlier that still qualify. Two entries given the
// same window must both be chosen again, so they join `explicitIDs`.
std::unordered_map<Uuid, WindowReferencePtr> recheckedChoices(
    const RestorePlan& plan, const RestoreOptions& options,
    const std::vector<CurrentDisplay>& displays, WindowService& windows,
    std::unordered_set<Uuid>& explicitIDs) {
    std::unordered_map<Uuid, WindowReferencePtr> preferred;
    for (const WindowEntry& entry : plan.pending) {
        const auto choice = options.preferredWindows.find(entry.id);
        if (choice == options.preferredWindows.end() || !choice->second) continue;
        if (auto refreshed = windows.revalidate(*choice->second, displays)) {
            preferred.emplace(entry.id, std::move(refreshed));
        }
    }
    for (const Uuid& id : MatchingService::duplicateExplicitEntryIDs(preferred)) {
        preferred.erase(id);
        explicitIDs.insert(id);
    }
    return preferred;
}

}  // namespace

RestorePlan sortEntries(const Layout& layout, const DisplayMapping& mapping,
                        const std::set<std::string>& exclusions, const RestoreOptions& options) {
    RestorePlan plan;
    for (const WindowEntry& entry : layout.entries) {
        if (options.skippedEntryIDs.contains(entry.id)) {
            settle(plan, entry, EntryOutcome::skipped, OutcomeText::skipped);
        } else if (exclusions.contains(entry.bundleID)) {
            settle(plan, entry, EntryOutcome::excluded, OutcomeText::excludedApp);
        } else if (!mapping.assignments.contains(entry.displayKey)) {
            settle(plan, entry, EntryOutcome::failed, OutcomeText::displayUnavailable);
        } else {
            plan.pending.push_back(entry);
        }
    }
    return plan;
}

void planMoves(RestorePlan& plan, const ScanOutput& scan, const DisplayMapping& mapping,
               const std::vector<CurrentDisplay>& displays, const std::set<std::string>& exclusions,
               const RestoreOptions& options, WindowService& windows,
               const std::function<bool()>& cancelled) {
    deferUnfinished(plan, scan, windows.runningBundleIDs());
    std::unordered_set<Uuid> explicitIDs = options.explicitEntryIDs;
    const auto preferred = recheckedChoices(plan, options, displays, windows, explicitIDs);
    const MatchResolution resolution =
        MatchingService::resolve(plan.pending, scan.windows, preferred, explicitIDs, exclusions);
    const std::set<Uuid> unmatched(resolution.unmatched.begin(), resolution.unmatched.end());

    for (const WindowEntry& entry : plan.pending) {
        if (const auto candidates = resolution.candidates.find(entry.id);
            candidates != resolution.candidates.end()) {
            settle(plan, entry, EntryOutcome::needsSelection, OutcomeText::chooseWindow);
            plan.ambiguous.push_back({entry.id, entry.label(), entry.appName, candidates->second});
            continue;
        }
        if (unmatched.contains(entry.id)) {
            settle(
                plan, entry, EntryOutcome::notOpen,
                scan.timedOut ? OutcomeText::notFoundBeforeTimeout : OutcomeText::notOpenOnDesktop);
            continue;
        }
        const auto match = resolution.matched.find(entry.id);
        if (match == resolution.matched.end()) {
            settle(plan, entry, EntryOutcome::failed, OutcomeText::couldNotMatch);
            continue;
        }
        if (cancelled()) return;
        const WindowReference& window = *match->second;
        const auto current = windows.currentFrame(window, kPlanningReadTimeout);
        if (!current) {
            settle(plan, entry, EntryOutcome::failed, OutcomeText::noLongerAvailable);
            continue;
        }
        const CurrentDisplay& display = mapping.assignments.at(entry.displayKey);
        const RectD target = entry.relativeFrame.absolute(display.visibleFrame)
                                 .clamped(display.visibleFrame, kMinimumWindowSize);
        if (current->isApproximatelyEqual(target, kAtTargetTolerance)) {
            EntryResult result = EntryResult::make(subjectOf(entry), EntryOutcome::restored,
                                                   OutcomeText::alreadyInPlace);
            result.frame = *current;
            result.windowID = window.windowID;
            plan.results.insert_or_assign(entry.id, std::move(result));
            continue;
        }
        plan.moves.push_back({entry, window.updating(*current), target, display.name});
    }
}

}  // namespace orvale::RestorePlanner
