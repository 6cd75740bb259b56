#pragma once

#include "app/Feedback.h"
#include "overlay/MarkerOverlayService.h"
#include "overlay/RestoredWindowFlashService.h"

namespace orvale {

// The model's overlays drawn on screen: candidate markers and the restored-
// window flash, which share one registry of the program's own overlay
// windows.
//
// Threads: main thread only; the arguments must outlive the object.
class ScreenOverlays final : public Overlays {
  public:
    ScreenOverlays(OverlaySurfaces& surfaces, MainThread& mainThread, WindowServer& windows)
        : markers_(surfaces, mainThread, registry_),
          flashes_(surfaces, mainThread, windows, registry_) {}

    void showMarkers(const std::vector<NumberedCandidate>& candidates) {
        markers_.show(candidates);
    }
    void clearMarkers() override { markers_.clear(); }
    void flash(const std::vector<FlashTarget>& targets, HighlightColor color) override {
        flashes_.flash(targets, color);
    }

  private:
    OverlayRegistry registry_;
    MarkerOverlayService markers_;
    RestoredWindowFlashService flashes_;
};

}  // namespace orvale
