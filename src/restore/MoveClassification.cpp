#include "restore/MoveClassification.h"

#include "restore/OutcomeTexts.h"

namespace orvale {
namespace {

EntryResult reached(const ResultSubject& subject, std::string detail, const RectD& frame,
                    std::optional<std::uint32_t> windowID) {
    EntryResult result = EntryResult::make(subject, EntryOutcome::restored, std::move(detail));
    result.frame = frame;
    result.windowID = windowID;
    return result;
}

}  // namespace

EntryResult classifyMove(const MoveOperation& move, const FrameApplyResult& applied,
                         bool cancelled) {
    const ResultSubject subject = subjectOf(move.entry);
    const auto make = [&](EntryOutcome outcome, std::string detail) {
        return EntryResult::make(subject, outcome, std::move(detail));
    };
    if (applied.cancelled || (cancelled && !applied.attemptedWrite)) {
        return make(EntryOutcome::cancelled, OutcomeText::cancelledBeforeMove);
    }
    if (!applied.after) {
        return make(EntryOutcome::failed, applied.message().value_or(OutcomeText::couldNotVerify));
    }
    if (applied.after->isApproximatelyEqual(move.target, kAtTargetTolerance)) {
        return reached(subject, OutcomeText::placedOn + move.displayName, *applied.after,
                       move.reference.windowID);
    }
    if (hasMoved(applied.before, applied.after)) {
        if (applied.hasUnsupportedFailure()) {
            return make(EntryOutcome::adjusted, OutcomeText::placedAsCloseAsAllowed);
        }
        if (applied.initialWriteFailed()) {
            return make(EntryOutcome::adjusted, OutcomeText::rejectedAndAdjusted);
        }
        return make(EntryOutcome::adjusted, OutcomeText::appAdjusted);
    }
    if (applied.hasFailure(AXErrorCode::keptInPlace)) {
        return make(EntryOutcome::failed, OutcomeText::keptInPlace);
    }
    if (applied.hasUnsupportedFailure()) {
        return make(EntryOutcome::failed, OutcomeText::moveUnsupported);
    }
    return make(EntryOutcome::failed, applied.message().value_or(OutcomeText::didNotMove));
}

std::optional<UndoWindow> journalPossibleChange(const MoveOperation& move,
                                                const RectD& previousFrame,
                                                const FrameApplyResult& applied,
                                                const std::vector<CurrentDisplay>& displays) {
    if (!applied.attemptedWrite) return std::nullopt;
    if (applied.after && (!applied.before || !hasMoved(applied.before, applied.after))) {
        return std::nullopt;
    }
    UndoWindow record;
    record.reference = move.reference;
    record.previousFrame = previousFrame;
    if (const auto display = displayForFrame(previousFrame, displays)) {
        record.displayKey = display->id();
        record.displayVisibleFrame = display->visibleFrame;
    }
    record.label = move.entry.label();
    return record;
}

EntryResult classifyUndo(const UndoWindow& window, const UndoTarget& target,
                         const std::optional<RectD>& before, const FrameApplyResult& applied,
                         bool cancelled) {
    const ResultSubject subject = subjectOf(window);
    const auto make = [&](EntryOutcome outcome, std::string detail) {
        return EntryResult::make(subject, outcome, std::move(detail));
    };
    const bool atTarget =
        applied.after && applied.after->isApproximatelyEqual(target.frame, kAtTargetTolerance);
    if (!applied.after && cancelled) {
        return make(EntryOutcome::cancelled, OutcomeText::undoCancelled);
    }
    if (!applied.after) {
        return make(EntryOutcome::failed, applied.message().value_or(OutcomeText::couldNotRestore));
    }
    if (cancelled && !atTarget) return make(EntryOutcome::cancelled, OutcomeText::undoCancelled);
    if (atTarget) {
        // A window found where it belongs needed no move; say so rather than
        // leave the line blank.
        const bool stayed = before && !hasMoved(before, applied.after);
        const std::string detail =
            target.detail.value_or(stayed ? OutcomeText::alreadyInPlace : "");
        return reached(subject, detail, *applied.after, window.reference.windowID);
    }
    if (applied.changed()) {
        return make(EntryOutcome::adjusted, target.detail.value_or(OutcomeText::appAdjusted));
    }
    if (applied.hasFailure(AXErrorCode::keptInPlace)) {
        return make(EntryOutcome::failed, OutcomeText::keptInPlace);
    }
    if (applied.hasUnsupportedFailure()) {
        return make(EntryOutcome::failed, OutcomeText::undoUnsupported);
    }
    return make(EntryOutcome::failed, applied.message().value_or(OutcomeText::didNotMove));
}

ResultSubject subjectOf(const UndoWindow& window) {
    return {window.reference.id, window.label, window.reference.appName, window.reference.bundleID};
}

}  // namespace orvale
