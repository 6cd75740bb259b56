#include "restore/MoveLoop.h"

#include "restore/AutomationDeferral.h"
#include "restore/FrameTolerances.h"
#include "restore/OutcomeTexts.h"

namespace orvale {
namespace {

class Loop {
  public:
    Loop(MoveSteps& steps, WindowService& windows, const MoveLoopOptions& options)
        : steps_(steps), windows_(windows), options_(options) {}

    MoveLoopOutcome run() {
        const std::size_t total = steps_.count();
        outcome_.results.reserve(total);
        for (std::size_t i = 0; i < total; ++i) {
            if (stopsBefore(i)) break;
            if (options_.progress) {
                options_.progress({static_cast<int>(i), static_cast<int>(total), steps_.label(i),
                                   options_.layoutName});
            }
            auto prepared = steps_.prepare(i);
            if (auto* settled = std::get_if<EntryResult>(&prepared)) {
                // A window manager that ended just now may make a window look
                // gone or elsewhere; the end is the one true reason then.
                if (!windows_.hasPermission()) {
                    stopForLostPermission(i);
                    break;
                }
                outcome_.results.push_back(std::move(*settled));
                continue;
            }
            if (!write(i, std::get<PreparedMove>(prepared))) break;
        }
        return std::move(outcome_);
    }

  private:
    bool cancelled() const { return options_.cancellation && options_.cancellation->isCancelled(); }

    // Gives the i-th window and every later one `outcome` with `detail`.
    void markFrom(std::size_t i, EntryOutcome outcome, const std::string& detail) {
        for (std::size_t k = i; k < steps_.count(); ++k) {
            outcome_.results.push_back(EntryResult::make(steps_.subject(k), outcome, detail));
        }
    }

    void stopCancelled(std::size_t from) {
        markFrom(from, EntryOutcome::cancelled, options_.cancelledDetail);
        outcome_.wasCancelled = true;
    }

    void stopForLostPermission(std::size_t from) {
        markFrom(from, EntryOutcome::failed, OutcomeText::windowManagerStopped);
        outcome_.permissionLost = true;
    }

    void stopForGesture(std::size_t from) {
        markFrom(from, EntryOutcome::deferred,
                 std::string(reason(AutomationDeferral::activeGesture)));
    }

    bool stopsBefore(std::size_t i) {
        if (cancelled()) {
            stopCancelled(i);
            return true;
        }
        if (!windows_.hasPermission()) {
            stopForLostPermission(i);
            return true;
        }
        if (options_.eligibility) {
            const SessionEligibility session = options_.eligibility();
            if (!session.eligible) {
                const std::string why = session.reason.value_or(
                    std::string(reason(AutomationDeferral::sessionInactive)));
                markFrom(i, EntryOutcome::deferred, why);
                outcome_.deferredReason = why;
                return true;
            }
        }
        if (options_.writeGate && !options_.writeGate()) {
            stopForGesture(i);
            return true;
        }
        return false;
    }

    // False when the run ends with this window.
    bool write(std::size_t i, const PreparedMove& move) {
        const FrameApplyResult applied =
            windows_.setFrame(move.target, move.reference, options_.cancellation,
                              options_.writeGate, move.reference.frame);
        steps_.wrote(i, move, applied);
        if (applied.gestureBlocked) {
            stopForGesture(i);
            return false;
        }
        if (applied.hasPermissionFailure()) {
            stopForLostPermission(i);
            return false;
        }
        // Every later write would wait for the same answer in vain.
        if (applied.windowManagerNotResponding()) {
            markFrom(i, EntryOutcome::failed, OutcomeText::windowManagerNotResponding);
            return false;
        }
        if (hasMoved(move.reference.frame, applied.after)) ++outcome_.movedCount;
        const bool cancelledNow = cancelled();
        outcome_.results.push_back(steps_.classify(i, move, applied, cancelledNow));
        if (!cancelledNow) return true;
        // Cancelled while this window was written: the run is reported
        // cancelled even when this was its last window.
        stopCancelled(i + 1);
        return false;
    }

    MoveSteps& steps_;
    WindowService& windows_;
    const MoveLoopOptions& options_;
    MoveLoopOutcome outcome_;
};

}  // namespace

MoveLoopOutcome runMoves(MoveSteps& steps, WindowService& windows, const MoveLoopOptions& options) {
    return Loop(steps, windows, options).run();
}

}  // namespace orvale
