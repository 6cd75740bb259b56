#pragma once

#include <memory>
#include <vector>

#include "app/MainThread.h"
#include "overlay/OverlayPanels.h"
#include "restore/AmbiguousEntry.h"

namespace orvale {

// Shows which open window each numbered candidate of a window choice is: a
// green outline with the candidate's number over every candidate window, for
// four seconds. The markers take no clicks and never take focus.
//
// Threads: main thread only. `surfaces`, `mainThread` and `registry` must
// outlive the service; destroying it takes its markers down and calls off
// the pending hide.
class MarkerOverlayService {
  public:
    static constexpr Clock::Duration kShowTime = std::chrono::seconds(4);

    MarkerOverlayService(OverlaySurfaces& surfaces, MainThread& mainThread,
                         OverlayRegistry& registry);
    ~MarkerOverlayService();
    MarkerOverlayService(const MarkerOverlayService&) = delete;
    MarkerOverlayService& operator=(const MarkerOverlayService&) = delete;

    // Replaces the markers on screen with one per candidate whose frame is
    // more than 10 points wide and high (drawn 2 points inside the frame),
    // and hides them four seconds from now.
    void show(const std::vector<NumberedCandidate>& candidates);
    // Takes every marker down at once and calls off the pending hide.
    void clear();

    std::size_t shownCount() const { return panels_.size(); }

  private:
    OverlaySurfaces& surfaces_;
    MainThread& mainThread_;
    OverlayRegistry& registry_;
    std::vector<std::unique_ptr<OverlayPanel>> panels_;
    TaskHandle hideTask_;
};

}  // namespace orvale
