#include "restore/RestoreService.h"

#include <unordered_set>

#include "platform/AXRead.h"
#include "restore/AutomationDeferral.h"
#include "restore/DisplayMapper.h"
#include "restore/MatchingService.h"
#include "restore/MoveClassification.h"
#include "restore/OutcomeTexts.h"

namespace orvale {
namespace {

constexpr double kPlanningReadTimeout = 0.35;
constexpr double kVisibilityReadTimeout = 0.3;
constexpr double kPreviousFrameReadTimeout = 0.35;

std::vector<ResultSubject> subjectsOf(const std::vector<WindowEntry>& entries) {
    std::vector<ResultSubject> subjects;
    for (const auto& entry : entries) subjects.push_back(subjectOf(entry));
    return subjects;
}

int countOutcome(const std::vector<EntryResult>& entries, EntryOutcome outcome) {
    int n = 0;
    for (const auto& entry : entries) n += entry.outcome == outcome ? 1 : 0;
    return n;
}

// The bundle identifiers of running applications whose windows the scan did
// not finish reading. Their windows may well be there, so calling them "not
// open" would be wrong.
std::set<std::string> unfinishedRunningApplications(
    const ScanOutput& scan, const std::vector<WindowEntry>& pending,
    const std::vector<RunningApplication>& applications) {
    std::set<std::string> incomplete = scan.incompleteBundleIDs;
    if (scan.timedOut) {
        for (const auto& entry : pending) {
            if (!scan.completedBundleIDs.contains(entry.bundleID)) {
                incomplete.insert(entry.bundleID);
            }
        }
    }
    std::set<std::string> unfinished;
    for (const auto& application : applications) {
        if (application.bundleID && !application.isTerminated &&
            incomplete.contains(*application.bundleID)) {
            unfinished.insert(*application.bundleID);
        }
    }
    return unfinished;
}

}  // namespace

RestoreService::RestoreService(WindowService& windowService, Accessibility& accessibility,
                               Workspace& workspace, Clock& clock)
    : windowService_(windowService), ax_(accessibility), workspace_(workspace), clock_(clock) {}

bool RestoreService::isCancelled(const CancellationFlag* cancellation) const {
    return cancellation && cancellation->isCancelled();
}

std::optional<RectD> RestoreService::readFrame(const AXElement& element, double timeoutSeconds) {
    const auto frame = AX::frame(ax_, element, timeoutSeconds);
    if (!frame || !frame->isUsableFrame()) return std::nullopt;
    return frame;
}

bool RestoreService::stopsBeforeNextWindow(
    const CancellationFlag* cancellation, const char* cancelledDetail, ResultDraft& draft,
    const std::function<void(EntryOutcome, const char*)>& markRemaining) {
    if (isCancelled(cancellation)) {
        markRemaining(EntryOutcome::cancelled, cancelledDetail);
        draft.wasCancelled = true;
        return true;
    }
    if (!ax_.isProcessTrusted()) {
        markRemaining(EntryOutcome::failed, OutcomeText::accessRevoked);
        draft.permissionLost = true;
        return true;
    }
    return false;
}

std::optional<UndoSnapshot> RestoreService::undoSnapshot() const {
    std::lock_guard lock(snapshotMutex_);
    return undoSnapshot_;
}

void RestoreService::storeUndoRecords(std::vector<UndoWindow> records, const Layout& layout,
                                      const RestoreOptions& options) {
    // An earlier restore stays undoable when this one changed nothing.
    if (records.empty()) return;
    std::lock_guard lock(snapshotMutex_);
    if (options.mergeUndo && undoSnapshot_) {
        mergeInto(*undoSnapshot_, records, layout.name, clock_.wallTime());
        return;
    }
    undoSnapshot_ = UndoSnapshot{options.operationID, options.layoutID,   layout.name,
                                 clock_.wallTime(),   std::move(records), false};
}

RestoreResult RestoreService::restore(const Layout& layout,
                                      const std::vector<CurrentDisplay>& displays,
                                      const std::set<std::string>& exclusions,
                                      const RestoreOptions& options,
                                      const CancellationFlag* cancellation,
                                      const ProgressCallback& progress) {
    std::lock_guard run(runMutex_);
    const auto cancelled = [&] { return isCancelled(cancellation); };

    if (!ax_.isProcessTrusted()) {
        return permissionFailure(layout.name, subjectsOf(layout.entries), ResultKind::restore,
                                 clock_.wallTime());
    }

    ResultDraft draft;
    draft.kind = ResultKind::restore;
    draft.layoutID = options.layoutID;
    draft.operationID = options.operationID;
    draft.layoutName = layout.name;
    if (layout.entries.empty()) {
        draft.summary = makeSummary({}, false, false);
        return makeResult(std::move(draft), clock_.wallTime());
    }

    const DisplayMapping mapping = DisplayMapper::map(
        layout.displays, displays, options.fallbackDisplays, !options.isAutomation);

    EntryResults results;
    const auto settle = [&](const WindowEntry& entry, EntryOutcome outcome, std::string detail) {
        results.insert_or_assign(entry.id,
                                 EntryResult::make(subjectOf(entry), outcome, std::move(detail)));
    };
    std::vector<WindowEntry> pending;
    for (const auto& entry : layout.entries) {
        if (options.skippedEntryIDs.contains(entry.id)) {
            settle(entry, EntryOutcome::skipped, OutcomeText::skipped);
        } else if (exclusions.contains(entry.bundleID)) {
            settle(entry, EntryOutcome::excluded, OutcomeText::excludedApp);
        } else if (!mapping.assignments.contains(entry.displayKey)) {
            settle(entry, EntryOutcome::failed, OutcomeText::displayUnavailable);
        } else {
            pending.push_back(entry);
        }
    }

    if (cancelled()) {
        return finishCancelledScan(layout, pending, results, options, clock_.wallTime());
    }
    const ScanOutput scan =
        windowService_.scan(displays, exclusions, cancellation, std::nullopt, true);
    if (scan.permissionDenied) {
        return permissionFailure(layout.name, subjectsOf(layout.entries), ResultKind::restore,
                                 clock_.wallTime());
    }
    if (scan.wasCancelled || cancelled()) {
        return finishCancelledScan(layout, pending, results, options, clock_.wallTime());
    }

    const std::set<std::string> unfinished =
        unfinishedRunningApplications(scan, pending, workspace_.runningApplications());
    std::erase_if(pending, [&](const WindowEntry& entry) {
        if (!unfinished.contains(entry.bundleID)) return false;
        settle(entry, EntryOutcome::deferred,
               scan.timedOut ? OutcomeText::scanTimedOut : OutcomeText::discoveryIncomplete);
        return true;
    });

    std::unordered_map<Uuid, WindowReferencePtr> preferred;
    for (const auto& entry : pending) {
        const auto choice = options.preferredWindows.find(entry.id);
        if (choice == options.preferredWindows.end() || !choice->second) continue;
        if (auto refreshed = windowService_.revalidate(*choice->second, displays)) {
            preferred.emplace(entry.id, std::move(refreshed));
        }
    }
    // Two entries given the same window must both be chosen again.
    std::unordered_set<Uuid> explicitIDs = options.explicitEntryIDs;
    for (const Uuid& id : MatchingService::duplicateExplicitEntryIDs(preferred)) {
        preferred.erase(id);
        explicitIDs.insert(id);
    }
    const MatchResolution resolution =
        MatchingService::resolve(pending, scan.windows, preferred, explicitIDs, exclusions);
    const std::set<Uuid> unmatched(resolution.unmatched.begin(), resolution.unmatched.end());

    std::vector<MoveOperation> moves;
    for (const auto& entry : pending) {
        const CurrentDisplay& display = mapping.assignments.at(entry.displayKey);
        if (const auto candidates = resolution.candidates.find(entry.id);
            candidates != resolution.candidates.end()) {
            settle(entry, EntryOutcome::needsSelection, OutcomeText::chooseWindow);
            draft.ambiguous.push_back({entry.id, entry.label(), entry.appName, candidates->second});
        } else if (unmatched.contains(entry.id)) {
            settle(
                entry, EntryOutcome::notOpen,
                scan.timedOut ? OutcomeText::notFoundBeforeTimeout : OutcomeText::notOpenOnDesktop);
        } else if (const auto match = resolution.matched.find(entry.id);
                   match != resolution.matched.end()) {
            if (cancelled()) break;
            const WindowReference& window = *match->second;
            const auto current = readFrame(window.element, kPlanningReadTimeout);
            if (!current) {
                settle(entry, EntryOutcome::failed, OutcomeText::noLongerAvailable);
                continue;
            }
            const RectD target = entry.relativeFrame.absolute(display.visibleFrame)
                                     .clamped(display.visibleFrame, kMinimumWindowSize);
            if (current->isApproximatelyEqual(target, kAtTargetTolerance)) {
                EntryResult result = EntryResult::make(subjectOf(entry), EntryOutcome::restored,
                                                       OutcomeText::alreadyInPlace);
                result.frame = *current;
                result.windowID = window.windowID;
                results.insert_or_assign(entry.id, result);
                continue;
            }
            moves.push_back({entry, window.updating(*current), target, display.name});
        } else {
            settle(entry, EntryOutcome::failed, OutcomeText::couldNotMatch);
        }
    }

    const auto finish = [&](std::vector<UndoWindow> undoRecords, int moved) {
        storeUndoRecords(std::move(undoRecords), layout, options);
        draft.entries = inLayoutOrder(layout, results);
        draft.summary = makeSummary(draft.entries, draft.wasCancelled, draft.permissionLost);
        draft.movedCount = moved;
        draft.deferredCount = countOutcome(draft.entries, EntryOutcome::deferred);
        return makeResult(std::move(draft), clock_.wallTime());
    };

    if (cancelled()) {
        for (const auto& entry : pending) {
            if (!results.contains(entry.id)) {
                settle(entry, EntryOutcome::cancelled, OutcomeText::cancelledBeforeMove);
            }
        }
        draft.wasCancelled = true;
        return finish({}, 0);
    }

    const auto markRemaining = [&](std::size_t from, EntryOutcome outcome,
                                   const std::string& detail) {
        for (std::size_t k = from; k < moves.size(); ++k) settle(moves[k].entry, outcome, detail);
    };
    const std::string gestureReason(reason(AutomationDeferral::activeGesture));
    std::vector<UndoWindow> undoRecords;
    int moved = 0;
    const auto total = static_cast<int>(moves.size());
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const MoveOperation& move = moves[i];
        if (stopsBeforeNextWindow(cancellation, OutcomeText::cancelledBeforeMove, draft,
                                  [&](EntryOutcome outcome, const char* detail) {
                                      markRemaining(i, outcome, detail);
                                  })) {
            break;
        }
        if (options.isAutomation && options.eligibility) {
            const SessionEligibility session = options.eligibility();
            if (!session.eligible) {
                const std::string why = session.reason.value_or(
                    std::string(reason(AutomationDeferral::sessionInactive)));
                markRemaining(i, EntryOutcome::deferred, why);
                draft.deferredReason = why;
                break;
            }
        }
        if (options.isAutomation && options.writeGate && !options.writeGate()) {
            markRemaining(i, EntryOutcome::deferred, gestureReason);
            break;
        }
        if (progress) progress({static_cast<int>(i), total, move.entry.label(), layout.name});

        const RectD seen = readFrame(move.reference.element, kVisibilityReadTimeout)
                               .value_or(move.reference.frame);
        if (!windowService_.isVisibleOnActiveDesktop(move.reference, seen)) {
            settle(move.entry, EntryOutcome::failed, OutcomeText::leftActiveDesktop);
            continue;
        }
        const RectD previous = readFrame(move.reference.element, kPreviousFrameReadTimeout)
                                   .value_or(move.reference.frame);

        const FrameApplyResult applied = windowService_.setFrame(
            move.target, move.reference, cancellation,
            options.isAutomation ? options.writeGate : WindowService::WriteGate{});
        if (auto record = journalPossibleChange(move, previous, applied, displays)) {
            undoRecords.push_back(std::move(*record));
        }
        if (applied.gestureBlocked) {
            markRemaining(i, EntryOutcome::deferred, gestureReason);
            break;
        }
        if (applied.hasPermissionFailure()) {
            markRemaining(i, EntryOutcome::failed, OutcomeText::accessRevoked);
            draft.permissionLost = true;
            break;
        }
        if (hasMoved(previous, applied.after)) ++moved;
        const bool cancelledNow = cancelled();
        EntryResult result = classifyMove(move, applied, cancelledNow);
        if (result.outcome == EntryOutcome::cancelled) draft.wasCancelled = true;
        results.insert_or_assign(move.entry.id, std::move(result));
        if (!applied.cancelled && cancelledNow && i + 1 < moves.size()) {
            markRemaining(i + 1, EntryOutcome::cancelled, OutcomeText::cancelledBeforeMove);
            draft.wasCancelled = true;
            break;
        }
    }
    return finish(std::move(undoRecords), moved);
}

}  // namespace orvale
