#include "cli/CommandSession.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/ManualMainThread.h"
#include "cli/CommandLinePorts.h"
#include "platform/DesktopFixture.h"
#include "support/TemporaryFolder.h"

namespace orvale::cli {
namespace {

// A restore through the model on the simulated desktop: two terminals saved
// side by side on its display, and the session that drives the command.
class CommandSessionTest : public DesktopFixture {
  protected:
    void SetUp() override {
        const std::int32_t pid = launch("XTerm", "xterm");
        std::vector<WindowEntry> entries;
        for (double x : {0.0, 720.0}) {
            windows.push_back(open(pid, {x + 100, 100, 600, 400}));
            entries.push_back({Uuid::generate(), "xterm", "XTerm", "AXWindow", "AXStandardWindow",
                               std::nullopt, displays()[0].id(),
                               RelativeFrame::make({x, 25, 700, 500}, kVisible)});
        }
        LayoutStore::open(paths).store->createLayout("Work", snapshots(displays()), entries, {});
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
        for (const AXElement& window : windows) reshape(window, [](auto& w) { w.frame.y += 200; });
    }

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
    EXPECT_EQ(desktop.window(windows[1]).frame, (RectD{0, 25, 700, 500}));
    const std::string text = out.str();
    EXPECT_TRUE(text.starts_with("Restore needs a decision.\n")) << text;
    EXPECT_TRUE(
        text.ends_with("XTerm · restored · Placed on Built-in\n"
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
