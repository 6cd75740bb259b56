#include <gtest/gtest.h>

#include "platform/x11/ResidentHarness.h"
#include "platform/x11/SavedLayoutFixture.h"
#include "restore/FrameTolerances.h"

namespace orvale::testing {
namespace {

// The program running in the background of a session with openbox and a
// private session bus, and commands run as processes of their own that it
// carries out.
class ResidentEndToEndTest : public SavedLayoutFixture, protected ResidentHarness {
  protected:
    void SetUp() override {
        SavedLayoutFixture::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_NO_FATAL_FAILURE(startBus(folder.path(), session->display()));
    }

    void TearDown() override {
        resident.reset();
        bus.reset();
    }

    using ResidentHarness::orvale;

    // The windows of the layout moved away from where they were saved.
    std::map<xcb_window_t, RectD> shuffled() {
        for (const auto& [window, frame] : saved) shuffle(window);
        return geometries();
    }

    bool at(const std::map<xcb_window_t, RectD>& frames) {
        for (const auto& [window, frame] : frames) {
            if (!toolsGeometry(*session, window).isApproximatelyEqual(frame, kAtTargetTolerance)) {
                return false;
            }
        }
        return true;
    }
};

TEST_F(ResidentEndToEndTest, CommandsFromOtherProcessesShareOneUndoAndASecondInstanceRefuses) {
    const auto atSave = geometries();
    ASSERT_NO_FATAL_FAILURE(startResident());
    const Outcome second = orvale({"daemon"});
    EXPECT_EQ(second.status, cli::kFailure);
    EXPECT_EQ(second.err, "orvale: Orvale is already running (process " +
                              std::to_string(resident->pid()) + ").\n");

    const auto moved = shuffled();
    const Outcome restored = orvale({"restore", "Work"});
    ASSERT_EQ(restored.status, cli::kSuccess) << restored.err;
    EXPECT_NE(restored.out.find("3 restored"), std::string::npos) << restored.out;
    EXPECT_TRUE(at(atSave));
    EXPECT_NE(orvale({"status"}).out.find("Undo: the restore of “Work” (3 windows)"),
              std::string::npos);

    const Outcome undone = orvale({"undo"});
    ASSERT_EQ(undone.status, cli::kSuccess) << undone.err;
    EXPECT_TRUE(at(moved)) << undone.out;
    const Outcome again = orvale({"undo"});
    EXPECT_EQ(again.status, cli::kFailure);
    EXPECT_EQ(again.err, "There is no restore to undo.\n");

    resident->signal(SIGTERM);
    EXPECT_EQ(resident->waitForExit(std::chrono::seconds(30)), cli::kSuccess);
    const Outcome alone = orvale({"undo"});
    EXPECT_EQ(alone.status, cli::kFailure);
    EXPECT_TRUE(alone.err.starts_with("There is no restore to undo: only a running Orvale"))
        << alone.err;
}

// A shortcut set from the command line is held by the running program: its
// press restores the layout, the restore is undone like any other, and a
// combination another X client holds is refused.
TEST_F(ResidentEndToEndTest, AShortcutPressRestoresAndAHeldCombinationIsRefused) {
    const auto atSave = geometries();
    ASSERT_NO_FATAL_FAILURE(startResident());
    const Outcome set = orvale({"shortcut", "Work", "Super+Alt+1"});
    ASSERT_EQ(set.status, cli::kSuccess) << set.err;
    EXPECT_EQ(set.out, "Alt+Super+1 restores “Work”.\n");

    const auto moved = shuffled();
    session->run({"xdotool", "key", "super+alt+1"});
    EXPECT_TRUE(session->waitUntil([&] { return at(atSave); }));
    const Outcome undone = orvale({"undo"});
    ASSERT_EQ(undone.status, cli::kSuccess) << undone.err;
    EXPECT_TRUE(at(moved)) << undone.out;

    // The session's own connection is a client other than the program.
    const xcb_keycode_t three = 12;
    ASSERT_TRUE(session->grabKey(three, XCB_MOD_MASK_4 | XCB_MOD_MASK_1));
    const Outcome refused = orvale({"shortcut", "Work", "Super+Alt+3"});
    EXPECT_EQ(refused.status, cli::kFailure);
    EXPECT_EQ(refused.err, "Alt+Super+3 is in use or reserved. Choose another shortcut.\n");
}

// A question the program asks is answered on the terminal of the command
// that asked for the restore.
TEST_F(ResidentEndToEndTest, AChoiceIsAskedOnTheTerminalOfTheCommand) {
    // Two xterms could each be the saved one.
    [[maybe_unused]] const auto second =
        session->startClient({"xterm", "-geometry", "80x24+1600+500"}, "orvale-xterm2");
    ASSERT_NO_FATAL_FAILURE(startResident());
    TerminalRestore restore;
    ASSERT_TRUE(restore.started());
    ASSERT_TRUE(restore.readUntil("Choose 1–3: ")) << restore.shown;
    // The end of the input on the terminal cancels the question in the program.
    ASSERT_TRUE(restore.type("\x04"));
    EXPECT_EQ(restore.exitStatus(), cli::kChoiceNeeded) << restore.shown;
    EXPECT_NE(restore.shown.find("No window was chosen."), std::string::npos) << restore.shown;
    EXPECT_EQ(orvale({"status"}).out.substr(0, 5), "Idle\n");
}

// Killed in the middle of a restore, the program leaves the database whole,
// and a new one restores from it.
TEST_F(ResidentEndToEndTest, AProgramKilledMidRestoreLeavesTheDatabaseIntact) {
    const auto atSave = geometries();
    ASSERT_NO_FATAL_FAILURE(startResident());
    shuffled();
    const std::string listed = orvale({"list"}).out;
    // With the window manager stopped, no move is ever confirmed, so the
    // restore is still running when the program is killed.
    session->signalWindowManager(SIGSTOP);
    ChildProcess restoring({ORVALE_BINARY, "restore", "Work"}, session->display());
    ASSERT_TRUE(waitFor([&] { return orvale({"status"}).out.starts_with("Busy: restoring"); }));
    resident->signal(SIGKILL);
    ASSERT_TRUE(resident->waitForExit(std::chrono::seconds(30)));
    EXPECT_EQ(restoring.waitForExit(std::chrono::seconds(30)), cli::kFailure);
    session->signalWindowManager(SIGCONT);

    ASSERT_NO_FATAL_FAILURE(startResident());
    const Outcome list = orvale({"list"});
    EXPECT_EQ(list.out, listed) << list.err;
    EXPECT_EQ(list.err, "");
    const Outcome restored = orvale({"restore", "Work"});
    ASSERT_EQ(restored.status, cli::kSuccess) << restored.err;
    EXPECT_TRUE(at(atSave)) << restored.out;
}

}  // namespace
}  // namespace orvale::testing
