// RestoreService::undo: puts journaled windows back where a restore found them.

#include "platform/AXRead.h"
#include "restore/MoveClassification.h"
#include "restore/OutcomeTexts.h"
#include "restore/RestoreService.h"

namespace orvale {
namespace {

constexpr double kBeforeReadTimeout = 0.35;

// Failed and cancelled windows stay journaled so Undo can be tried again; the
// others are back, gone, or not ours to touch.
bool staysJournaled(EntryOutcome outcome) {
    return outcome == EntryOutcome::failed || outcome == EntryOutcome::cancelled;
}

}  // namespace

std::optional<RestoreResult> RestoreService::undo(const std::vector<CurrentDisplay>& displays,
                                                  const std::set<std::string>& exclusions,
                                                  const CancellationFlag* cancellation,
                                                  const ProgressCallback& progress) {
    std::lock_guard run(runMutex_);
    const std::optional<UndoSnapshot> snapshot = undoSnapshot();
    if (!snapshot) return std::nullopt;
    const std::vector<UndoWindow>& windows = snapshot->entries;

    if (!ax_.isProcessTrusted()) {
        std::vector<ResultSubject> subjects;
        for (const auto& window : windows) subjects.push_back(subjectOf(window));
        return permissionFailure(snapshot->layoutName, subjects, ResultKind::undo,
                                 clock_.wallTime());
    }

    ResultDraft draft;
    draft.kind = ResultKind::undo;
    draft.layoutID = snapshot->layoutID;
    draft.operationID = snapshot->operationID;
    draft.layoutName = snapshot->layoutName;
    std::vector<EntryResult>& results = draft.entries;
    const auto settle = [&](const UndoWindow& window, EntryOutcome outcome, std::string detail) {
        results.push_back(EntryResult::make(subjectOf(window), outcome, std::move(detail)));
    };
    const auto markRemaining = [&](std::size_t from, EntryOutcome outcome, const char* detail) {
        for (std::size_t k = from; k < windows.size(); ++k) settle(windows[k], outcome, detail);
    };

    const auto total = static_cast<int>(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const UndoWindow& window = windows[i];
        if (stopsBeforeNextWindow(cancellation, OutcomeText::cancelledBeforeUndo, draft,
                                  [&](EntryOutcome outcome, const char* detail) {
                                      markRemaining(i, outcome, detail);
                                  })) {
            break;
        }
        if (exclusions.contains(window.reference.bundleID)) {
            settle(window, EntryOutcome::excluded, OutcomeText::excludedApp);
            continue;
        }
        const WindowReferencePtr live = windowService_.revalidate(window.reference, displays);
        if (!live) {
            settle(window, EntryOutcome::notOpen, OutcomeText::noLongerOpen);
            continue;
        }
        UndoWindow current = window;
        current.reference = *live;
        const auto target = undoTarget(current, displays);
        if (!target) {
            settle(window, EntryOutcome::failed, OutcomeText::noDisplay);
            continue;
        }
        if (progress) progress({static_cast<int>(i), total, window.label, snapshot->layoutName});

        const auto before = readFrame(live->element, kBeforeReadTimeout);
        const FrameApplyResult applied =
            windowService_.setFrame(target->frame, *live, cancellation);
        const bool cancelledNow = isCancelled(cancellation);
        if (hasMoved(before, applied.after)) ++draft.movedCount;
        results.push_back(classifyUndo(current, *target, before, applied, cancelledNow));
        if (results.back().outcome == EntryOutcome::cancelled) draft.wasCancelled = true;
        if (cancelledNow) {
            markRemaining(i + 1, EntryOutcome::cancelled, OutcomeText::cancelledBeforeUndo);
            draft.wasCancelled = draft.wasCancelled || i + 1 < windows.size();
            break;
        }
    }

    std::vector<UndoWindow> kept;
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (!staysJournaled(results[i].outcome)) continue;
        UndoWindow record = windows[i];
        record.pendingFailure = true;
        kept.push_back(std::move(record));
    }
    kept = dedupe(kept);
    {
        std::lock_guard lock(snapshotMutex_);
        if (kept.empty()) {
            undoSnapshot_.reset();
        } else {
            UndoSnapshot remaining = *snapshot;
            remaining.entries = std::move(kept);
            remaining.hasPendingFailures = true;
            remaining.date = clock_.wallTime();
            undoSnapshot_ = std::move(remaining);
        }
    }

    draft.summary = makeSummary(results, draft.wasCancelled, draft.permissionLost);
    return makeResult(std::move(draft), clock_.wallTime());
}

}  // namespace orvale
