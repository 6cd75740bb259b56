#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/VirtualClock.h"
#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/sim/SimulatedDesktop.h"

namespace orvale {

// One primary display of 1440 × 900 points with a 25-point menu bar, and a
// window service over a simulated desktop.
class DesktopFixture : public ::testing::Test {
  protected:
    static constexpr RectD kScreen{0, 0, 1440, 900};
    static constexpr RectD kVisible{0, 25, 1440, 875};

    DesktopFixture() {
        desktop.plugDisplay({.identity = {1552, 41001, 7, 0},
                             .name = "Built-in",
                             .frame = kScreen,
                             .visibleFrame = kVisible,
                             .isPrimary = true});
    }

    std::vector<CurrentDisplay> displays() { return DisplayService(desktop).currentDisplays(); }

    std::int32_t launch(const std::string& name, const std::string& bundleID) {
        return desktop.launch({.bundleID = bundleID, .name = name});
    }

    AXElement open(std::int32_t pid, RectD frame, SimulatedWindow window = {}) {
        window.frame = frame;
        return desktop.openWindow(pid, window);
    }

    // Changes a window in place.
    void reshape(const AXElement& window, const std::function<void(SimulatedWindow&)>& change) {
        SimulatedWindow w = desktop.window(window);
        change(w);
        desktop.updateWindow(window, w);
    }

    ScanOutput scan(const std::set<std::string>& exclusions = {}) {
        return service.scan(displays(), exclusions);
    }

    // The references a scan found, one per window element.
    std::vector<AXElement> scannedElements(const ScanOutput& output) {
        std::vector<AXElement> elements;
        for (const WindowReferencePtr& reference : output.windows) {
            elements.push_back(reference->element);
        }
        return elements;
    }

    // The reference a scan gives for `window`, with the scan's calls forgotten.
    WindowReference scanned(const AXElement& window) {
        for (const WindowReferencePtr& reference : scan().windows) {
            if (reference->element != window) continue;
            desktop.clearActions();
            return *reference;
        }
        ADD_FAILURE() << "the scan did not find the window";
        return {};
    }

    VirtualClock clock;
    SimulatedDesktop desktop{clock};
    WindowService service{desktop, desktop, desktop, clock};
};

}  // namespace orvale
