#include "overlay/RestoredWindowFlashService.h"

#include <cmath>
#include <unordered_map>

namespace orvale {
namespace {

constexpr double kSmallestSide = 20;
constexpr double kFrameTolerance = 0.5;

bool movedApart(const RectD& a, const RectD& b) {
    return std::abs(a.x - b.x) > kFrameTolerance || std::abs(a.y - b.y) > kFrameTolerance ||
           std::abs(a.width - b.width) > kFrameTolerance ||
           std::abs(a.height - b.height) > kFrameTolerance;
}

}  // namespace

RestoredWindowFlashService::RestoredWindowFlashService(OverlaySurfaces& surfaces,
                                                       MainThread& mainThread,
                                                       WindowServer& windows,
                                                       OverlayRegistry& registry,
                                                       FlashTiming timing)
    : surfaces_(surfaces),
      mainThread_(mainThread),
      windows_(windows),
      registry_(registry),
      timing_(timing) {}

RestoredWindowFlashService::~RestoredWindowFlashService() {
    removePanels();
}

void RestoredWindowFlashService::flash(const std::vector<FlashTarget>& targets,
                                       HighlightColor color) {
    removePanels();
    const std::uint64_t generation = ++generation_;
    for (const FlashTarget& target : targets) {
        const RectD& frame = target.frame;
        if (!frame.isUsableFrame()) continue;
        if (frame.width < kSmallestSide || frame.height < kSmallestSide) continue;
        auto panel = surfaces_.flash(frame, rgb(color), kCornerRadius);
        if (!panel) continue;
        std::optional<std::uint32_t> windowID;
        if (target.windowID != 0) windowID = target.windowID;
        panels_.push_back({std::move(panel), windowID, {{0, 0, frame.width, frame.height}}});
    }
    if (panels_.empty()) return;

    const bool still = surfaces_.motionReduced();
    for (TrackedPanel& tracked : panels_) {
        tracked.panel->setOpacity(still ? 1.0 : 0.0);
        tracked.panel->orderFront();
        if (const auto number = tracked.panel->windowNumber(); number && *number > 0) {
            registry_.add(*number);
        }
    }
    applyPanelFrames(readWindowList(windows_, registry_.numbers()));
    scheduleTracking(generation);

    if (still) {
        dismissTask_ = mainThread_.postAfter(timing_.stillHold, [this] { removePanels(); });
        return;
    }
    for (TrackedPanel& tracked : panels_) {
        tracked.panel->animateOpacity(1.0, timing_.fadeIn, OverlayPanel::Easing::easeOut, [] {});
    }
    dismissTask_ = mainThread_.postAfter(timing_.fadeIn + timing_.hold, [this] { fadeOut(); });
}

void RestoredWindowFlashService::fadeOut() {
    trackingTask_.cancel();
    // Every panel fades together; the last one to finish takes them all down.
    auto remaining = std::make_shared<std::size_t>(panels_.size());
    const std::uint64_t generation = generation_;
    for (TrackedPanel& tracked : panels_) {
        tracked.panel->animateOpacity(
            0.0, timing_.fadeOut, OverlayPanel::Easing::easeIn, [this, remaining, generation] {
                if (--*remaining == 0 && generation == generation_) {
                    // Runs inside a panel's own callback: the panels
                    // go once it has returned.
                    dismissTask_ =
                        mainThread_.postAfter(Clock::Duration::zero(), [this] { removePanels(); });
                }
            });
    }
}

void RestoredWindowFlashService::removePanels() {
    dismissTask_.cancel();
    dismissTask_ = {};
    trackingTask_.cancel();
    trackingTask_ = {};
    lastWindows_.clear();
    for (const TrackedPanel& tracked : panels_) {
        if (const auto number = tracked.panel->windowNumber()) registry_.remove(*number);
    }
    panels_.clear();
}

void RestoredWindowFlashService::scheduleTracking(std::uint64_t generation) {
    trackingTask_ = mainThread_.postAfter(kTrackingInterval, [this, generation] {
        if (generation != generation_) return;
        applyPanelFrames(readWindowList(windows_, registry_.numbers()));
        scheduleTracking(generation);
    });
}

void RestoredWindowFlashService::applyPanelFrames(
    const std::optional<std::vector<OrderedWindow>>& windows) {
    if (!windows) return;
    // Windows raised since may have come over the rims, which the window
    // manager does not stack; a list that changed puts the rims back on top.
    const bool restacked = *windows != lastWindows_;
    lastWindows_ = *windows;
    std::unordered_map<std::uint32_t, std::size_t> positions;
    for (std::size_t i = 0; i < windows->size(); ++i) positions.emplace((*windows)[i].id, i);
    for (TrackedPanel& tracked : panels_) {
        if (!tracked.windowID) continue;
        const auto found = positions.find(*tracked.windowID);
        if (found == positions.end()) continue;
        const RectD& bounds = (*windows)[found->second].bounds;
        if (movedApart(tracked.panel->frame(), bounds)) tracked.panel->setFrame(bounds);
        if (restacked) tracked.panel->orderFront();
        std::vector<RectD> occluders;
        for (std::size_t i = 0; i < found->second; ++i) occluders.push_back((*windows)[i].bounds);
        auto rects = visibleParts(bounds, occluders);
        if (rects != tracked.rects) {
            tracked.rects = std::move(rects);
            tracked.panel->setVisibleRects(tracked.rects);
        }
    }
}

}  // namespace orvale
