#include "overlay/MarkerOverlayService.h"

namespace orvale {
namespace {

constexpr double kSmallestSide = 10;
constexpr double kInset = 2;

}  // namespace

MarkerOverlayService::MarkerOverlayService(OverlaySurfaces& surfaces, MainThread& mainThread,
                                           OverlayRegistry& registry)
    : surfaces_(surfaces), mainThread_(mainThread), registry_(registry) {}

MarkerOverlayService::~MarkerOverlayService() {
    clear();
}

void MarkerOverlayService::show(const std::vector<NumberedCandidate>& candidates) {
    clear();
    for (const NumberedCandidate& candidate : candidates) {
        if (!candidate.reference) continue;
        const RectD& frame = candidate.reference->frame;
        if (!frame.isUsableFrame() || frame.width <= kSmallestSide ||
            frame.height <= kSmallestSide) {
            continue;
        }
        auto panel = surfaces_.marker({frame.x + kInset, frame.y + kInset, frame.width - 2 * kInset,
                                       frame.height - 2 * kInset},
                                      candidate.number);
        if (!panel) continue;
        if (const auto number = panel->windowNumber(); number && *number > 0) {
            registry_.add(*number);
        }
        panels_.push_back(std::move(panel));
    }
    // The task cannot outlive the service: the destructor cancels it.
    hideTask_ = mainThread_.postAfter(kShowTime, [this] { clear(); });
}

void MarkerOverlayService::clear() {
    hideTask_.cancel();
    hideTask_ = {};
    for (const auto& panel : panels_) {
        if (const auto number = panel->windowNumber()) registry_.remove(*number);
    }
    panels_.clear();
}

}  // namespace orvale
