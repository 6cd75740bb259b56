#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/Feedback.h"
#include "app/MainThread.h"
#include "overlay/OverlayPanels.h"
#include "overlay/VisibleRegion.h"

namespace orvale {

// How long the restored-window flash takes, step by step.
struct FlashTiming {
    Clock::Duration fadeIn = std::chrono::milliseconds(140);
    Clock::Duration hold = std::chrono::milliseconds(1050);
    Clock::Duration fadeOut = std::chrono::milliseconds(450);
    // Instead of the three above when the desktop asks for less motion.
    Clock::Duration stillHold = std::chrono::milliseconds(1400);
};

// Briefly outlines the windows a restore put in place with a glowing rim in
// the user's highlight colour. Each rim follows its window while it is shown
// (the window list is read every 33 ms, and only then) and is drawn only
// where the window is not covered by windows in front of it. A still desktop
// costs one read of the list per tick and nothing else.
//
// Timeline (FlashTiming): the rims fade in over 0.14 s, stay 1.05 s, fade out over
// 0.45 s and go. When the desktop asks for less motion they appear at once and
// go after 1.4 s. A new flash takes the current rims down first.
//
// Threads: main thread only. Everything passed in must outlive the service;
// `windows` is read on the main thread, so it should be a backend of its own
// rather than the one the window service blocks on. Destroying the service
// takes its rims down.
class RestoredWindowFlashService {
  public:
    static constexpr Clock::Duration kTrackingInterval = std::chrono::milliseconds(33);
    static constexpr double kCornerRadius = 16;

    RestoredWindowFlashService(OverlaySurfaces& surfaces, MainThread& mainThread,
                               WindowServer& windows, OverlayRegistry& registry,
                               FlashTiming timing = {});
    ~RestoredWindowFlashService();
    RestoredWindowFlashService(const RestoredWindowFlashService&) = delete;
    RestoredWindowFlashService& operator=(const RestoredWindowFlashService&) = delete;

    // One rim per target whose frame is finite and at least 20 points wide
    // and high; targets without a window number are not followed.
    void flash(const std::vector<FlashTarget>& targets, HighlightColor color);

    std::size_t shownCount() const { return panels_.size(); }

  private:
    struct TrackedPanel {
        std::unique_ptr<OverlayPanel> panel;
        std::optional<std::uint32_t> windowID;
        std::vector<RectD> rects;
    };

    void removePanels();
    void scheduleTracking(std::uint64_t generation);
    void applyPanelFrames(const std::optional<std::vector<OrderedWindow>>& windows);
    void fadeOut();

    OverlaySurfaces& surfaces_;
    MainThread& mainThread_;
    WindowServer& windows_;
    OverlayRegistry& registry_;
    FlashTiming timing_;
    std::vector<TrackedPanel> panels_;
    // The window list as the last tick read it.
    std::vector<OrderedWindow> lastWindows_;
    TaskHandle dismissTask_;
    TaskHandle trackingTask_;
    std::uint64_t generation_ = 0;
};

}  // namespace orvale
