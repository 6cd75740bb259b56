#include "restore/RestoreService.h"

#include "restore/MoveClassification.h"
#include "restore/MoveLoop.h"
#include "restore/OutcomeTexts.h"
#include "restore/RestorePlanner.h"

namespace orvale {
namespace {

// The restore's side of the move loop: a window is checked to still be on
// the active desktop (and, when it is not, to be open at all), its frame read
// once serves as the frame before the write and the journal's previous frame.
class RestoreSteps final : public MoveSteps {
  public:
    RestoreSteps(const std::vector<MoveOperation>& moves,
                 const std::vector<CurrentDisplay>& displays, WindowService& windows)
        : moves_(moves), displays_(displays), windows_(windows) {}

    std::size_t count() const override { return moves_.size(); }
    ResultSubject subject(std::size_t i) const override { return subjectOf(moves_[i].entry); }
    std::string label(std::size_t i) const override { return moves_[i].entry.label(); }

    std::variant<EntryResult, PreparedMove> prepare(std::size_t i) override {
        const MoveOperation& move = moves_[i];
        const RectD previous =
            windows_.currentFrame(move.reference, kReadTimeout).value_or(move.reference.frame);
        if (!windows_.isVisibleOnActiveDesktop(move.reference, previous)) {
            if (!windows_.isOpen(move.reference, kReadTimeout)) {
                return EntryResult::make(subject(i), EntryOutcome::notOpen,
                                         OutcomeText::noLongerOpen);
            }
            return EntryResult::make(subject(i), EntryOutcome::failed,
                                     OutcomeText::leftActiveDesktop);
        }
        return PreparedMove{move.reference.updating(previous), move.target};
    }

    void wrote(std::size_t i, const PreparedMove& prepared,
               const FrameApplyResult& applied) override {
        if (auto record =
                journalPossibleChange(moves_[i], prepared.reference.frame, applied, displays_)) {
            undoRecords_.push_back(std::move(*record));
        }
    }

    EntryResult classify(std::size_t i, const PreparedMove&, const FrameApplyResult& applied,
                         bool cancelled) override {
        return classifyMove(moves_[i], applied, cancelled);
    }

    std::vector<UndoWindow> takeUndoRecords() { return std::move(undoRecords_); }

  private:
    static constexpr double kReadTimeout = 0.35;

    const std::vector<MoveOperation>& moves_;
    const std::vector<CurrentDisplay>& displays_;
    WindowService& windows_;
    std::vector<UndoWindow> undoRecords_;
};

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

}  // namespace

RestoreService::RestoreService(WindowService& windowService, Clock& clock)
    : windows_(windowService), clock_(clock) {}

std::optional<UndoSnapshot> RestoreService::undoSnapshot() const {
    std::lock_guard lock(snapshotMutex_);
    return undoSnapshot_;
}

void RestoreService::discardUndo() {
    std::lock_guard lock(snapshotMutex_);
    undoSnapshot_.reset();
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
    const auto cancelled = [&] { return cancellation && cancellation->isCancelled(); };
    const auto permissionFailed = [&] {
        return permissionFailure(layout.name, subjectsOf(layout.entries), ResultKind::restore,
                                 clock_.wallTime());
    };
    if (!windows_.hasPermission()) return permissionFailed();

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
    RestorePlan plan = RestorePlanner::sortEntries(layout, mapping, exclusions, options);
    const auto cancelledScan = [&] {
        return finishCancelledScan(layout, plan.pending, plan.results, options, clock_.wallTime());
    };
    if (cancelled()) return cancelledScan();
    const ScanOutput scan = windows_.scan(displays, exclusions, cancellation, std::nullopt, true);
    if (scan.permissionDenied) return permissionFailed();
    if (scan.wasCancelled || cancelled()) return cancelledScan();

    RestorePlanner::planMoves(plan, scan, mapping, displays, exclusions, options, windows_,
                              cancelled);
    draft.ambiguous = std::move(plan.ambiguous);
    if (cancelled()) {
        for (const WindowEntry& entry : plan.pending) {
            if (plan.results.contains(entry.id)) continue;
            plan.results.emplace(entry.id,
                                 EntryResult::make(subjectOf(entry), EntryOutcome::cancelled,
                                                   OutcomeText::cancelledBeforeMove));
        }
        draft.wasCancelled = true;
        plan.moves.clear();
    }

    RestoreSteps steps(plan.moves, displays, windows_);
    // Only an automation restore waits for the session and for gestures.
    MoveLoopOutcome moved =
        runMoves(steps, windows_,
                 {.cancelledDetail = OutcomeText::cancelledBeforeMove,
                  .cancellation = cancellation,
                  .progress = progress,
                  .layoutName = layout.name,
                  .eligibility = options.isAutomation ? options.eligibility : nullptr,
                  .writeGate = options.isAutomation ? options.writeGate : nullptr});
    for (std::size_t i = 0; i < plan.moves.size(); ++i) {
        plan.results.insert_or_assign(plan.moves[i].entry.id, std::move(moved.results[i]));
    }
    storeUndoRecords(steps.takeUndoRecords(), layout, options);

    draft.entries = inLayoutOrder(layout, plan.results);
    draft.wasCancelled = draft.wasCancelled || moved.wasCancelled;
    draft.permissionLost = moved.permissionLost;
    draft.deferredReason = moved.deferredReason;
    draft.summary = makeSummary(draft.entries, draft.wasCancelled, draft.permissionLost);
    draft.movedCount = moved.movedCount;
    draft.deferredCount = countOutcome(draft.entries, EntryOutcome::deferred);
    return makeResult(std::move(draft), clock_.wallTime());
}

}  // namespace orvale
