#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <nlohmann/json.hpp>

#include "app/ModelTexts.h"
#include "cli/RestoreOutput.h"
#include "cli/RunOrvale.h"
#include "platform/x11/SavedLayoutFixture.h"
#include "restore/FrameTolerances.h"
#include "restore/OutcomeTexts.h"

namespace orvale::testing {
namespace {

using CommandLineEndToEndTest = SavedLayoutFixture;

TEST_F(CommandLineEndToEndTest, AClosedClientTwoTerminalsAndAMissingDisplayAreReported) {
    xclock.process->signal(SIGTERM);
    ASSERT_TRUE(session->waitUntil([&] { return !session->isManaged(xclock.window); }));
    const Outcome closed = orvale({"restore", "Work"});
    ASSERT_EQ(closed.status, cli::kSuccess) << closed.err;
    EXPECT_NE(closed.out.find("XClock · " + std::string(cli::outcomeWords(EntryOutcome::notOpen)) +
                              " · " + OutcomeText::notOpenOnDesktop + "\n"),
              std::string::npos)
        << closed.out;

    // Without a terminal the choice is listed, with the first run's result.
    const auto second =
        session->startClient({"xterm", "-geometry", "80x24+1600+500"}, "orvale-xterm2");
    const Outcome ambiguous = orvale({"restore", "Work"});
    EXPECT_EQ(ambiguous.status, cli::kChoiceNeeded) << ambiguous.err;
    EXPECT_TRUE(
        ambiguous.err.starts_with("“Work” needs a choice: 1 saved window needs a decision.\n"))
        << ambiguous.err;
    EXPECT_NE(ambiguous.out.find("XTerm · " +
                                 std::string(cli::outcomeWords(EntryOutcome::needsSelection)) +
                                 " · " + OutcomeText::chooseWindow + "\n"),
              std::string::npos)
        << ambiguous.out;

    // The windows were saved on the right-hand monitor, which goes; openbox
    // brings them onto the left one first.
    const std::vector<xcb_window_t> open = {xterm.window, xlogo.window, second.window};
    session->run({"xrandr", "--delmonitor", "right"});
    ASSERT_TRUE(session->waitUntil([&] {
        const auto now = geometries(open);
        return std::all_of(now.begin(), now.end(),
                           [](const auto& window) { return window.second.x < kOriginX; });
    }));
    const auto before = geometries(open);
    const Outcome missing = orvale({"restore", "Work", "--json"});
    EXPECT_EQ(missing.status, cli::kChoiceNeeded) << missing.err;
    const auto json = nlohmann::json::parse(missing.out);
    EXPECT_EQ(json["needsChoice"], "displays");
    EXPECT_EQ(json["layoutName"], "Work");
    EXPECT_EQ(json["missing"].size(), 1u);
    ASSERT_EQ(json["available"].size(), 1u);
    EXPECT_EQ(json["available"][0]["name"], "left");
    EXPECT_EQ(geometries(open), before);
}

// Without a window manager nothing is saved or moved. The windows lose their
// frames as it goes.
TEST_F(CommandLineEndToEndTest, WithoutAWindowManagerNothingIsSavedOrMoved) {
    for (const auto& [window, frame] : saved) shuffle(window);
    const std::string layouts = orvale({"list"}).out;
    session->stopWindowManager();
    const auto unmanaged = geometries();
    for (const auto& arguments : {std::vector<std::string>{"save", "Home"}, {"restore", "Work"}}) {
        const Outcome outcome = orvale(arguments);
        EXPECT_EQ(outcome.status, cli::kFailure) << arguments[0];
        EXPECT_TRUE(
            outcome.err.starts_with(std::string(ModelText::windowManagerNeededTitle) + "\n"))
            << outcome.err;
        EXPECT_EQ(outcome.out, "");
    }
    EXPECT_EQ(orvale({"list"}).out, layouts);
    EXPECT_EQ(geometries(), unmanaged);
}

// The real program on a terminal: it asks which open xterm is the saved one,
// and the one chosen by its number goes where the saved one was.
TEST_F(CommandLineEndToEndTest, OnATerminalTheChosenWindowIsRestored) {
    const auto second =
        session->startClient({"xterm", "-geometry", "80x24+1600+500"}, "orvale-xterm2");
    const RectD secondFrame = frameOf(second.window);
    TerminalRestore restore;
    ASSERT_TRUE(restore.started());
    const std::string& shown = restore.shown;
    ASSERT_TRUE(restore.readUntil("Choose 1–3: ")) << shown;
    // Each candidate by its title and position; the second xterm's number.
    const std::string position = "at " + std::to_string(std::lround(secondFrame.x)) + ", " +
                                 std::to_string(std::lround(secondFrame.y)) + " · ";
    const auto at = shown.find(position);
    ASSERT_NE(at, std::string::npos) << shown;
    const auto line = shown.rfind('\n', at) + 1;
    const std::string number = shown.substr(line, shown.find('.', line) - line);
    ASSERT_TRUE(number == "  1" || number == "  2") << shown;
    ASSERT_TRUE(restore.type(number.substr(2) + "\n"));
    EXPECT_EQ(restore.exitStatus(), cli::kSuccess) << shown;
    EXPECT_NE(shown.find("XTerm · " + std::string(cli::outcomeWords(EntryOutcome::restored))),
              std::string::npos)
        << shown;
    EXPECT_TRUE(
        toolsFrame(second.window).isApproximatelyEqual(saved[xterm.window], kAtTargetTolerance))
        << shown;
}

}  // namespace
}  // namespace orvale::testing
