#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sstream>

#include "cli/Cli.h"
#include "platform/x11/ClientsFixture.h"
#include "restore/FrameTolerances.h"
#include "storage/LayoutStore.h"
#include "support/TemporaryFolder.h"

namespace orvale::testing {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// `orvale restore` against a real X server and window manager, with a layout
// saved from the clients of the fixture.
class CommandLineEndToEndTest : public ClientsFixture {
  protected:
    void SetUp() override {
        ClientsFixture::SetUp();
        ASSERT_TRUE(desktop);
        ::setenv("DISPLAY", session->display().c_str(), 1);
        CapturePreview preview;
        ASSERT_TRUE(session->waitUntil([&] {
            try {
                preview = service->capture(displays(), {});
            } catch (const CaptureError&) {
                return false;
            }
            return preview.entries.size() == 3;
        }));
        LayoutStore::open(paths).store->createLayout("Work", preview.displays, preview.entries,
                                                     std::nullopt);
        for (xcb_window_t window : {xterm.window, xclock.window, xlogo.window}) {
            saved[window] = frameOf(window);
        }
    }

    Outcome orvale(std::vector<std::string> arguments) {
        std::istringstream in;
        std::ostringstream out, err;
        const std::string data = (folder / "data").string();
        const std::string config = (folder / "config").string();
        const int status = cli::run(arguments, {in, out, err, false},
                                    [&](const char* name) -> std::optional<std::string> {
                                        if (std::string_view(name) == "XDG_DATA_HOME") return data;
                                        if (std::string_view(name) == "XDG_CONFIG_HOME") {
                                            return config;
                                        }
                                        return std::nullopt;
                                    });
        return {status, out.str(), err.str()};
    }

    // Moves and grows the window with wmctrl, and waits until it has.
    void shuffle(xcb_window_t window) {
        const RectD was = toolsGeometry(*session, window);
        const auto number = [](double value) { return std::to_string(int(value)); };
        session->wmctrl(window, {"-e", "0," + number(was.x + 120) + "," + number(was.y + 60) + "," +
                                           number(was.width + 40) + "," + number(was.height + 30)});
        ASSERT_TRUE(session->waitUntil([&] { return toolsGeometry(*session, window) != was; }));
    }

    TemporaryFolder folder;
    StorePaths paths = StorePaths::in(folder / "data" / "Orvale");
    std::map<xcb_window_t, RectD> saved;
};

TEST_F(CommandLineEndToEndTest, RestorePutsEveryWindowBackAndSaysSoInTheEnginesWords) {
    for (const auto& [window, frame] : saved) shuffle(window);
    const Outcome outcome = orvale({"restore", "work"});
    ASSERT_EQ(outcome.status, cli::kSuccess) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    // In the order the layout was saved, which is the capture's.
    for (const char* app : {"XTerm", "XClock", "XLogo"}) {
        EXPECT_NE(outcome.out.find(std::string(app) + " · restored · Placed on right\n"),
                  std::string::npos)
            << outcome.out;
    }
    EXPECT_TRUE(outcome.out.ends_with("\n3 restored\n")) << outcome.out;
    for (const auto& [window, frame] : saved) {
        EXPECT_TRUE(toolsFrame(window).isApproximatelyEqual(frame, kAtTargetTolerance))
            << hex(window);
    }
}

TEST_F(CommandLineEndToEndTest, AClosedClientIsNotOpenAndASecondTerminalNeedsAChoice) {
    xclock.process->signal(SIGTERM);
    ASSERT_TRUE(session->waitUntil([&] { return !session->isManaged(xclock.window); }));
    const Outcome closed = orvale({"restore", "Work"});
    ASSERT_EQ(closed.status, cli::kSuccess) << closed.err;
    EXPECT_NE(closed.out.find("XClock · not open · Not open on the active desktop\n"),
              std::string::npos)
        << closed.out;

    session->startClient({"xterm", "-geometry", "80x24+1600+500"}, "orvale-xterm2");
    const Outcome ambiguous = orvale({"restore", "Work"});
    EXPECT_EQ(ambiguous.status, cli::kChoiceNeeded) << ambiguous.err;
    EXPECT_TRUE(
        ambiguous.err.starts_with("“Work” needs a choice: 1 saved window needs a decision.\n"))
        << ambiguous.err;
}

}  // namespace
}  // namespace orvale::testing
