#include "cli/CommandSession.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/ManualMainThread.h"
#include "cli/CommandLinePorts.h"
#include "model/VirtualClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "support/TemporaryFolder.h"

namespace orvale::cli {
namespace {

// A restore through the model on the simulated desktop: two terminals saved
// side by side on a display, and the session that drives the command.
class CommandSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const RectD screen{0, 0, 1920, 1080};
        desktop.plugDisplay({0, {5, 5, 5, 0}, "DP-1", screen, screen, 1, 0, 0, true});
        const auto displays = DisplayService(desktop).currentDisplays();
        SimulatedApplication app;
        app.bundleID = "xterm";
        app.name = "XTerm";
        const std::int32_t pid = desktop.launch(app);
        std::vector<WindowEntry> entries;
        for (double x : {0.0, 960.0}) {
            SimulatedWindow window;
            window.frame = {x + 100, 100, 600, 400};
            windows.push_back(desktop.openWindow(pid, window));
            entries.push_back({Uuid::generate(), "xterm", "XTerm", "AXWindow", "AXStandardWindow",
                               std::nullopt, displays[0].id(),
                               RelativeFrame::make({x, 0, 800, 600}, screen)});
        }
        LayoutStore::open(paths).store->createLayout("Work", snapshots(displays), entries, {});
    }

    // Runs `restore Work` with `input` on a terminal (or none) to its end.
    int restore(const std::string& input, bool interactive) {
        std::istringstream lines(input);
        StreamLineReader in(lines);
        AppModel model({mainThread, clock, executor, executor, executor, desktop, desktop, desktop,
                        desktop, desktop, none, none, defaults, presenter, quiet, quiet, paths,
                        [](const StorePaths& at) { return LayoutStore::open(at); }});
        std::optional<int> status;
        CommandSession session(model, mainThread,
                               Command{CommandName::restore, {"work"}, false, false},
                               {in, out, err, interactive}, [&](int result) { status = result; });
        while (!status && executor.runAll() + mainThread.runReady() > 0) {
        }
        EXPECT_TRUE(status);
        return status.value_or(-1);
    }

    void moveWindowsAway() {
        for (const AXElement& element : windows) {
            SimulatedWindow window = desktop.window(element);
            window.frame.y += 200;
            desktop.updateWindow(element, window);
        }
    }

    VirtualClock clock;
    SimulatedDesktop desktop{clock};
    ManualMainThread mainThread{clock};
    ManualExecutor executor;
    MemoryDefaultsStore defaults;
    NoWindows none;
    std::ostringstream out, err;
    TerminalPresenter presenter{err};
    NoOverlaysOrHotKeys quiet;
    testing::TemporaryFolder folder;
    StorePaths paths = StorePaths::in(folder / "Orvale");
    std::vector<AXElement> windows;
};

TEST_F(CommandSessionTest, OnATerminalTheChosenWindowsArePutBackInOneResult) {
    moveWindowsAway();
    // The first saved window is the second open one; the second is skipped.
    EXPECT_EQ(restore("2\n3\n", true), kSuccess) << err.str();
    EXPECT_EQ(desktop.window(windows[1]).frame, (RectD{0, 0, 800, 600}));
    const std::string text = out.str();
    EXPECT_TRUE(text.starts_with("Restore needs a decision.\n")) << text;
    EXPECT_TRUE(
        text.ends_with("XTerm · restored · Placed on DP-1\n"
                       "XTerm · skipped · Skipped for this restore\n"
                       "1 restored · 1 skipped\n"))
        << text;

    std::ostringstream().swap(out);
    moveWindowsAway();
    EXPECT_EQ(restore("1\n", true), kChoiceNeeded);
    EXPECT_TRUE(err.str().ends_with("No window was chosen.\n")) << err.str();
}

}  // namespace
}  // namespace orvale::cli
