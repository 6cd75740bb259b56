#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/Geometry.h"
#include "model/Timestamp.h"
#include "model/Uuid.h"
#include "platform/CurrentDisplay.h"
#include "platform/WindowReference.h"

namespace orvale {

// One window a restore may have moved, with where it was before.
struct UndoWindow {
    WindowReference reference;
    RectD previousFrame;
    // The display that held `previousFrame` and its visible frame then; both
    // absent when no display held it.
    std::optional<std::string> displayKey;
    std::optional<RectD> displayVisibleFrame;
    std::string label;
    // An undo already tried this window and did not bring it back.
    bool pendingFailure = false;

    bool operator==(const UndoWindow&) const = default;
};

// The journal of the most recent restore operation.
struct UndoSnapshot {
    std::optional<Uuid> operationID;
    std::optional<Uuid> layoutID;
    std::string layoutName;
    Timestamp date;
    std::vector<UndoWindow> entries;
    bool hasPendingFailures = false;

    bool operator==(const UndoSnapshot&) const = default;
};

// Where one window goes back to.
struct UndoTarget {
    RectD frame;
    std::optional<std::string> detail;

    bool operator==(const UndoTarget&) const = default;
};

// The display that holds most of `frame`, by the window service's own rule, so
// that undo and scans agree on where a window is.
std::optional<CurrentDisplay> displayForFrame(const RectD& frame,
                                              const std::vector<CurrentDisplay>& displays);

// Where `window` goes back to on the displays connected now: exactly where it
// was when its display is unchanged, scaled when the display's visible area
// changed, and kept on screen when its display is gone. Nothing without displays.
std::optional<UndoTarget> undoTarget(const UndoWindow& window,
                                     const std::vector<CurrentDisplay>& displays);

// The first record of each window, in order.
std::vector<UndoWindow> dedupe(const std::vector<UndoWindow>& windows);

// Folds a follow-up run's records into `snapshot`. A window already journaled
// keeps its first previous frame, so undo returns it to where it was before the
// whole operation; only its live reference is refreshed.
void mergeInto(UndoSnapshot& snapshot, const std::vector<UndoWindow>& records,
               const std::string& layoutName, Timestamp date);

}  // namespace orvale
