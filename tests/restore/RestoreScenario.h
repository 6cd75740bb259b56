#pragma once

// A simulated desktop with three displays, a restore service over it, and
// helpers to save entries and check every entry of a result.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/VirtualClock.h"
#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/sim/SimulatedDesktop.h"
#include "restore/RestoreService.h"

namespace orvale::testing_support {

struct ExpectedEntry {
    Uuid entryID;
    EntryOutcome outcome;
    std::string detail;
};

class RestoreScenario : public ::testing::Test {
  protected:
    // Left to right: a primary laptop panel with a menu bar, a large external
    // display and a smaller one.
    static constexpr RectD kLaptop{0, 0, 1512, 982};
    static constexpr RectD kLaptopVisible{0, 25, 1512, 957};
    static constexpr RectD kStudio{1512, 0, 2560, 1440};
    static constexpr RectD kSide{4072, 0, 1920, 1080};

    RestoreScenario();

    std::vector<CurrentDisplay> displays() const { return displayService_.currentDisplays(); }
    const CurrentDisplay& display(const std::string& name);

    std::int32_t launch(const std::string& name);
    std::string bundleOf(const std::string& name) const { return "com.example." + name; }
    AXElement open(std::int32_t pid, RectD frame, SimulatedWindow window = {});
    RectD frameOf(const AXElement& window) const { return desktop.window(window).frame; }

    // Adds an entry that puts a window of `appName` at `target` on the display
    // called `displayName`; `target` must lie within its visible frame.
    WindowEntry save(const std::string& appName, const std::string& displayName, RectD target);
    // Opens a window of each app on the laptop panel and saves it onto the
    // studio display, in this order; returns the windows.
    std::vector<AXElement> openAndSave(const std::vector<std::string>& apps);

    RestoreResult restore(const RestoreOptions& options = {},
                          const CancellationFlag* cancellation = nullptr,
                          const RestoreService::ProgressCallback& progress = {});

    static void expectEntries(const RestoreResult& result,
                              const std::vector<ExpectedEntry>& expected);

    VirtualClock clock;
    SimulatedDesktop desktop{clock};
    WindowService windowService{desktop, desktop, desktop, clock};
    RestoreService service{windowService, clock};
    Layout layout;
    std::set<std::string> exclusions;

  private:
    DisplayService displayService_{desktop};
    std::vector<CurrentDisplay> savedDisplays_;
};

}  // namespace orvale::testing_support
