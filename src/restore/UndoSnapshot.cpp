#include "restore/UndoSnapshot.h"

#include <algorithm>
#include <unordered_set>

#include "platform/DisplayPlacement.h"
#include "restore/FrameTolerances.h"
#include "restore/OutcomeTexts.h"

namespace orvale {
namespace {

// Visible frames this close are the same; docks and menu bars jitter slightly.
constexpr double kSameVisibleFrameTolerance = 2;

UndoTarget clampedOnto(const RectD& frame, const CurrentDisplay& display,
                       std::optional<std::string> detail = std::nullopt) {
    return {frame.clamped(display.visibleFrame, kMinimumWindowSize), std::move(detail)};
}

}  // namespace

std::optional<CurrentDisplay> displayForFrame(const RectD& frame,
                                              const std::vector<CurrentDisplay>& displays) {
    return displayFor(frame, displays);
}

std::optional<UndoTarget> undoTarget(const UndoWindow& window,
                                     const std::vector<CurrentDisplay>& displays) {
    if (displays.empty()) return std::nullopt;
    const CurrentDisplay holder =
        displayForFrame(window.reference.frame, displays).value_or(displays.front());
    if (!window.displayKey || !window.displayVisibleFrame ||
        !window.displayVisibleFrame->isUsableFrame()) {
        return clampedOnto(window.previousFrame, holder);
    }
    for (const auto& display : displays) {
        if (display.id() != *window.displayKey) continue;
        if (display.visibleFrame.isApproximatelyEqual(*window.displayVisibleFrame,
                                                      kSameVisibleFrameTolerance)) {
            return UndoTarget{window.previousFrame, std::nullopt};
        }
        const RectD scaled = RelativeFrame::make(window.previousFrame, *window.displayVisibleFrame)
                                 .absolute(display.visibleFrame);
        return clampedOnto(scaled, display, OutcomeText::adjustedToDisplay);
    }
    return clampedOnto(window.previousFrame, holder,
                       OutcomeText::originalDisplayMissing + holder.name + ".");
}

std::vector<UndoWindow> dedupe(const std::vector<UndoWindow>& windows) {
    // The element names the live window (its process included); two scans of
    // one window give references with different ids but the same element.
    std::unordered_set<AXElement> seen;
    std::vector<UndoWindow> unique;
    for (const auto& window : windows) {
        if (seen.insert(window.reference.element).second) unique.push_back(window);
    }
    return unique;
}

void mergeInto(UndoSnapshot& snapshot, const std::vector<UndoWindow>& records,
               const std::string& layoutName, Timestamp date) {
    for (const auto& record : records) {
        const auto stored = std::find_if(
            snapshot.entries.begin(), snapshot.entries.end(),
            [&](const auto& w) { return w.reference.element == record.reference.element; });
        if (stored != snapshot.entries.end()) {
            stored->reference = record.reference;
        } else {
            snapshot.entries.push_back(record);
        }
    }
    snapshot.layoutName = layoutName;
    snapshot.date = date;
}

}  // namespace orvale
