#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/Clock.h"
#include "model/Layout.h"
#include "platform/CancellationFlag.h"
#include "platform/CurrentDisplay.h"
#include "platform/WindowService.h"
#include "restore/RestoreOptions.h"
#include "restore/RestoreResult.h"
#include "restore/UndoSnapshot.h"

namespace orvale {

// Puts the windows of a saved layout back, and undoes the last restore.
//
// Every window is read and moved through the WindowService; the service calls
// no platform port itself. A restore plans first (RestorePlanner: display
// mapping, one scan, matching, target frames) and then writes the windows one
// by one; an undo writes the journaled windows back. Both write through the
// same move loop (runMoves), which reads each window's frame once per step.
//
// One run at a time: `restore` and `undo` hold the service's lock for their
// whole run, so the two never interleave and the undo journal is only touched
// by one run; the program calls them from the restore service's serial
// executor. Neither ever fails as a whole; every problem becomes an entry's
// outcome. Cancellation is read before each step and never interrupts a
// write. `windowService` and `clock` must outlive the service.
class RestoreService {
  public:
    // Called on the running thread; the caller hands the value to its own.
    using ProgressCallback = std::function<void(const RestoreProgress&)>;

    RestoreService(WindowService& windowService, Clock& clock);

    // `exclusions` are bundle identifiers of applications never touched.
    RestoreResult restore(const Layout& layout, const std::vector<CurrentDisplay>& displays,
                          const std::set<std::string>& exclusions, const RestoreOptions& options,
                          const CancellationFlag* cancellation = nullptr,
                          const ProgressCallback& progress = {});

    // Moves the journaled windows back; nothing when there is nothing to undo.
    std::optional<RestoreResult> undo(const std::vector<CurrentDisplay>& displays,
                                      const std::set<std::string>& exclusions,
                                      const CancellationFlag* cancellation = nullptr,
                                      const ProgressCallback& progress = {});

    // The journal a later undo would use. Safe to call from any thread while a
    // run goes on.
    std::optional<UndoSnapshot> undoSnapshot() const;
    // Forgets the journal, so nothing can be undone until the next restore.
    // Safe to call from any thread; a run still going on stores its own
    // journal when it ends.
    void discardUndo();

  private:
    void storeUndoRecords(std::vector<UndoWindow> records, const Layout& layout,
                          const RestoreOptions& options);
    void keepUnfinished(const UndoSnapshot& snapshot, std::vector<UndoWindow> kept);

    WindowService& windows_;
    Clock& clock_;
    std::mutex runMutex_;
    mutable std::mutex snapshotMutex_;
    std::optional<UndoSnapshot> undoSnapshot_;
};

}  // namespace orvale
