#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/Layout.h"
#include "platform/CancellationFlag.h"
#include "platform/CurrentDisplay.h"
#include "platform/Ports.h"
#include "platform/WindowService.h"
#include "restore/RestoreOptions.h"
#include "restore/RestoreResult.h"
#include "restore/UndoSnapshot.h"

namespace orvale {

// Puts the windows of a saved layout back, and undoes the last restore.
//
// One run at a time: `restore` and `undo` hold the service's lock for their
// whole run, so the two never interleave and the undo journal is only touched
// by one run. Neither ever fails as a whole; every problem becomes an entry's
// outcome. Cancellation is read before each step and never interrupts a write.
class RestoreService {
  public:
    // Called on the running thread; the caller hands the value to its own.
    using ProgressCallback = std::function<void(const RestoreProgress&)>;

    RestoreService(WindowService& windowService, Accessibility& accessibility, Workspace& workspace,
                   Clock& clock);

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

    // The journal a later undo would use. Safe to call while a run goes on.
    std::optional<UndoSnapshot> undoSnapshot() const;

  private:
    // Sets a short messaging timeout first, so one unresponsive application
    // cannot stall the run.
    std::optional<RectD> readFrame(const AXElement& element, double timeoutSeconds);
    bool isCancelled(const CancellationFlag* cancellation) const;
    // Cancellation and loss of permission end a run before its next window:
    // `markRemaining` gives the windows left the matching outcome and detail.
    bool stopsBeforeNextWindow(const CancellationFlag* cancellation, const char* cancelledDetail,
                               ResultDraft& draft,
                               const std::function<void(EntryOutcome, const char*)>& markRemaining);
    void storeUndoRecords(std::vector<UndoWindow> records, const Layout& layout,
                          const RestoreOptions& options);

    WindowService& windowService_;
    Accessibility& ax_;
    Workspace& workspace_;
    Clock& clock_;
    std::mutex runMutex_;
    mutable std::mutex snapshotMutex_;
    std::optional<UndoSnapshot> undoSnapshot_;
};

}  // namespace orvale
