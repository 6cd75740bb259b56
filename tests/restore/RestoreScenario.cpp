#include "RestoreScenario.h"

#include <stdexcept>

namespace orvale::testing_support {

RestoreScenario::RestoreScenario() {
    desktop.plugDisplay(
        {0, {1552, 41234, 11, 0}, "Built-in Display", kLaptop, kLaptopVisible, 2, 0, 0, true});
    desktop.plugDisplay({0, {4268, 16640, 22, 0}, "Studio", kStudio, kStudio, 1, 0, 0, false});
    desktop.plugDisplay({0, {4268, 3000, 33, 0}, "Side", kSide, kSide, 1, 0, 0, false});
    savedDisplays_ = displays();
    layout.id = Uuid::generate();
    layout.name = "Desk";
    layout.displays = snapshots(savedDisplays_);
}

const CurrentDisplay& RestoreScenario::display(const std::string& name) {
    for (const auto& d : savedDisplays_) {
        if (d.name == name) return d;
    }
    throw std::invalid_argument("no display " + name);
}

std::int32_t RestoreScenario::launch(const std::string& name) {
    SimulatedApplication app;
    app.bundleID = bundleOf(name);
    app.name = name;
    return desktop.launch(app);
}

AXElement RestoreScenario::open(std::int32_t pid, RectD frame, SimulatedWindow window) {
    window.frame = frame;
    return desktop.openWindow(pid, window);
}

WindowEntry RestoreScenario::save(const std::string& appName, const std::string& displayName,
                                  RectD target) {
    const CurrentDisplay& d = display(displayName);
    WindowEntry entry;
    entry.id = Uuid::generate();
    entry.bundleID = bundleOf(appName);
    entry.appName = appName;
    entry.role = "AXWindow";
    entry.subrole = "AXStandardWindow";
    entry.displayKey = d.id();
    entry.relativeFrame = RelativeFrame::make(target, d.visibleFrame);
    layout.entries.push_back(entry);
    return layout.entries.back();
}

std::vector<AXElement> RestoreScenario::openAndSave(const std::vector<std::string>& apps) {
    std::vector<AXElement> windows;
    for (const std::string& app : apps) {
        windows.push_back(open(launch(app), {100, 100, 400, 300}));
        save(app, "Studio", {1612, 100, 1000, 800});
    }
    return windows;
}

RestoreResult RestoreScenario::restore(const RestoreOptions& options,
                                       const CancellationFlag* cancellation,
                                       const RestoreService::ProgressCallback& progress) {
    return service.restore(layout, displays(), exclusions, options, cancellation, progress);
}

void RestoreScenario::expectEntries(const RestoreResult& result,
                                    const std::vector<ExpectedEntry>& expected) {
    ASSERT_EQ(result.entries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i) + ": " + result.entries[i].label);
        EXPECT_EQ(result.entries[i].entryID, expected[i].entryID);
        EXPECT_EQ(name(result.entries[i].outcome), name(expected[i].outcome));
        EXPECT_EQ(result.entries[i].detail, expected[i].detail);
        const bool reached = result.entries[i].outcome == EntryOutcome::restored;
        EXPECT_EQ(result.entries[i].frame.has_value(), reached);
        EXPECT_EQ(result.entries[i].windowID.has_value(), reached);
    }
}

}  // namespace orvale::testing_support
