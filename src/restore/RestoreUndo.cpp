// RestoreService::undo: puts journaled windows back where a restore found them.

#include "restore/MoveClassification.h"
#include "restore/MoveLoop.h"
#include "restore/OutcomeTexts.h"
#include "restore/RestoreService.h"

namespace orvale {
namespace {

// The undo's side of the move loop: a journaled window is re-checked, which
// reads its frame, and goes back to its previous frame fitted to the displays
// connected now.
class UndoSteps final : public MoveSteps {
  public:
    UndoSteps(const std::vector<UndoWindow>& windows, const std::vector<CurrentDisplay>& displays,
              const std::set<std::string>& exclusions, WindowService& windowService)
        : windows_(windows),
          displays_(displays),
          exclusions_(exclusions),
          windowService_(windowService),
          targets_(windows.size()) {}

    std::size_t count() const override { return windows_.size(); }
    ResultSubject subject(std::size_t i) const override { return subjectOf(windows_[i]); }
    std::string label(std::size_t i) const override { return windows_[i].label; }

    std::variant<EntryResult, PreparedMove> prepare(std::size_t i) override {
        const UndoWindow& window = windows_[i];
        const auto settled = [&](EntryOutcome outcome, const char* detail) {
            return EntryResult::make(subject(i), outcome, detail);
        };
        if (exclusions_.contains(window.reference.bundleID)) {
            return settled(EntryOutcome::excluded, OutcomeText::excludedApp);
        }
        const WindowReferencePtr live = windowService_.revalidate(window.reference, displays_);
        if (!live) return settled(EntryOutcome::notOpen, OutcomeText::noLongerOpen);
        UndoWindow current = window;
        current.reference = *live;
        targets_[i] = undoTarget(current, displays_);
        if (!targets_[i]) return settled(EntryOutcome::failed, OutcomeText::noDisplay);
        return PreparedMove{*live, targets_[i]->frame};
    }

    EntryResult classify(std::size_t i, const PreparedMove& move, const FrameApplyResult& applied,
                         bool cancelled) override {
        UndoWindow current = windows_[i];
        current.reference = move.reference;
        return classifyUndo(current, *targets_[i], move.reference.frame, applied, cancelled);
    }

  private:
    const std::vector<UndoWindow>& windows_;
    const std::vector<CurrentDisplay>& displays_;
    const std::set<std::string>& exclusions_;
    WindowService& windowService_;
    std::vector<std::optional<UndoTarget>> targets_;
};

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

    if (!windows_.hasPermission()) {
        std::vector<ResultSubject> subjects;
        for (const auto& window : windows) subjects.push_back(subjectOf(window));
        return permissionFailure(snapshot->layoutName, subjects, ResultKind::undo,
                                 clock_.wallTime());
    }

    UndoSteps steps(windows, displays, exclusions, windows_);
    MoveLoopOutcome moved = runMoves(steps, windows_,
                                     {.cancelledDetail = OutcomeText::cancelledBeforeUndo,
                                      .cancellation = cancellation,
                                      .progress = progress,
                                      .layoutName = snapshot->layoutName,
                                      .eligibility = nullptr,
                                      .writeGate = nullptr});

    std::vector<UndoWindow> kept;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (!staysJournaled(moved.results[i].outcome)) continue;
        UndoWindow record = windows[i];
        record.pendingFailure = true;
        kept.push_back(std::move(record));
    }
    keepUnfinished(*snapshot, dedupe(kept));

    ResultDraft draft;
    draft.kind = ResultKind::undo;
    draft.layoutID = snapshot->layoutID;
    draft.operationID = snapshot->operationID;
    draft.layoutName = snapshot->layoutName;
    draft.entries = std::move(moved.results);
    draft.wasCancelled = moved.wasCancelled;
    draft.permissionLost = moved.permissionLost;
    draft.movedCount = moved.movedCount;
    draft.summary = makeSummary(draft.entries, draft.wasCancelled, draft.permissionLost);
    return makeResult(std::move(draft), clock_.wallTime());
}

void RestoreService::keepUnfinished(const UndoSnapshot& snapshot, std::vector<UndoWindow> kept) {
    std::lock_guard lock(snapshotMutex_);
    if (kept.empty()) {
        undoSnapshot_.reset();
        return;
    }
    UndoSnapshot remaining = snapshot;
    remaining.entries = std::move(kept);
    remaining.hasPendingFailures = true;
    remaining.date = clock_.wallTime();
    undoSnapshot_ = std::move(remaining);
}

}  // namespace orvale
