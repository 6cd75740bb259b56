#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/CancellationFlag.h"
#include "platform/FrameApplyResult.h"
#include "platform/WindowReference.h"
#include "platform/WindowService.h"
#include "restore/RestoreOptions.h"
#include "restore/RestoreResult.h"

namespace orvale {

// One write, as prepared just before it is made.
struct PreparedMove {
    // The live window, its frame as read just now.
    WindowReference reference;
    RectD target;
};

// What a restore and an undo do differently around each window; the loop
// itself is the same for both.
class MoveSteps {
  public:
    virtual ~MoveSteps() = default;

    virtual std::size_t count() const = 0;
    // Who the i-th window's result is about.
    virtual ResultSubject subject(std::size_t i) const = 0;
    // The label shown in progress while the i-th window is handled.
    virtual std::string label(std::size_t i) const = 0;
    // Reads the i-th window once, just before its write: either the result it
    // ends with unwritten, or the write to make.
    virtual std::variant<EntryResult, PreparedMove> prepare(std::size_t i) = 0;
    // Called after every write, whatever came of it.
    virtual void wrote(std::size_t i, const PreparedMove& move, const FrameApplyResult& applied) {
        (void)i, (void)move, (void)applied;
    }
    // The result of a write the loop did not stop at; `cancelled` says
    // whether the run was cancelled by the time the write returned.
    virtual EntryResult classify(std::size_t i, const PreparedMove& move,
                                 const FrameApplyResult& applied, bool cancelled) = 0;
};

struct MoveLoopOptions {
    // The detail of windows left unwritten because the run was cancelled.
    std::string cancelledDetail;
    const CancellationFlag* cancellation = nullptr;
    std::function<void(const RestoreProgress&)> progress;
    std::string layoutName;
    // Automation only: asked before each window; see RestoreOptions.
    std::function<SessionEligibility()> eligibility;
    std::function<bool()> writeGate;
};

// What the loop did: exactly one result per window, in window order, and the
// notes of the run.
struct MoveLoopOutcome {
    std::vector<EntryResult> results;
    int movedCount = 0;
    bool wasCancelled = false;
    bool permissionLost = false;
    std::optional<std::string> deferredReason;
};

// Writes the windows of `steps` one at a time through `windows`, in order.
// Before each window it stops for cancellation, for a lost permission and, in
// automation, for an ineligible session or a gesture in progress; the windows
// not reached then get the matching outcome; a lost permission found when a
// window is settled without a write stops the run too. After each write it
// counts the window as moved when its frame changed; a window manager that
// did not answer the write ends the run with that reason for this window and
// every later one, and a cancellation that came during the write ends the run
// as cancelled, the last window's write included.
// Runs on the caller's thread; blocks for as long as the writes take.
MoveLoopOutcome runMoves(MoveSteps& steps, WindowService& windows, const MoveLoopOptions& options);

}  // namespace orvale
