#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "platform/x11/ResidentHarness.h"
#include "platform/x11/XSession.h"
#include "restore/FrameTolerances.h"
#include "support/TemporaryFolder.h"

namespace orvale::testing {
namespace {

constexpr char kGestureNotice[] = "A window is being moved. Finish, then choose Restore.";
constexpr char kNoLinkNotice[] = "The displays changed, but no layout is linked to this setup.";

// The program in the background of a session on Xorg's dummy driver, with two
// outputs whose switching sends real RandR events, openbox, and a window on
// each output saved as “Work” and linked to the two outputs.
class AutomationEndToEndTest : public ::testing::Test, protected ResidentHarness {
  protected:
    void SetUp() override {
        session = XSession::startXorgDummy();
        if (!session) {
            if (::getuid() != 0) GTEST_SKIP() << "Xorg with the dummy driver needs root here";
            FAIL() << "Xorg with the dummy driver did not start";
        }
        session->run({"xrandr", "--addmode", "DUMMY1", "1024x768"});
        switchSecondOutput(true);
        session->startWindowManager();
        xterm =
            session->startClient({"xterm", "-geometry", "80x24+100+100"}, "orvale-xterm").window;
        xclock = session->startClient({"xclock", "-geometry", "200x180+1300+200"}, "orvale-xclock")
                     .window;
        ASSERT_NO_FATAL_FAILURE(startBus(folder.path(), session->display()));

        const Outcome saving = orvale({"save", "Work"});
        ASSERT_EQ(saving.status, 0) << saving.err;
        ASSERT_EQ(std::count(saving.out.begin(), saving.out.end(), '\n'), 3) << saving.out;
        saved = geometries();

        ASSERT_NO_FATAL_FAILURE(startResident());
        // Every property change the program announces, from before automatic
        // restore is switched on.
        monitor = std::make_unique<ChildProcess>(
            std::vector<std::string>{"sh", "-c",
                                     "exec stdbuf -oL gdbus monitor --session --dest "
                                     "org.orvale.Orvale >" +
                                         (folder / "signals").string()},
            "");
        // The monitor names the owner once it listens.
        ASSERT_TRUE(waitFor([&] { return signals().find("is owned by") != npos; })) << signals();
        const Outcome on = orvale({"automation", "on"});
        ASSERT_EQ(on.status, 0) << on.err;
        ASSERT_TRUE(waitFor([&] { return signals().find("automationEnabled") != npos; }));
        const Outcome linked = orvale({"link", "Work"});
        ASSERT_EQ(linked.status, 0) << linked.err;
        EXPECT_NE(linked.out.find("Linked to these displays"), npos) << linked.out;
    }

    void TearDown() override {
        // The program and its bus go before the display and the folders.
        monitor.reset();
        resident.reset();
        bus.reset();
    }

    // The second output on, to the right of the first, or off.
    void switchSecondOutput(bool on) {
        if (on) {
            session->run(
                {"xrandr", "--output", "DUMMY1", "--mode", "1024x768", "--right-of", "DUMMY0"});
        } else {
            session->run({"xrandr", "--output", "DUMMY1", "--off"});
        }
    }
    // The second output switched off and on again, one burst of changes.
    void replugSecondOutput() {
        switchSecondOutput(false);
        switchSecondOutput(true);
    }

    void shuffle() {
        for (const auto& entry : saved) ASSERT_TRUE(moveAndGrow(*session, entry.first, 120, 60));
    }

    std::map<xcb_window_t, RectD> geometries() {
        std::map<xcb_window_t, RectD> now;
        for (xcb_window_t window : {xterm, xclock}) now[window] = toolsGeometry(*session, window);
        return now;
    }
    // How many of the windows are where they were saved.
    long atSavedFrames() {
        const auto now = geometries();
        return std::count_if(saved.begin(), saved.end(), [&](const auto& pair) {
            return now.at(pair.first).isApproximatelyEqual(pair.second, kAtTargetTolerance);
        });
    }

    std::string status() { return orvale({"status"}).out; }
    std::string signals() { return contents(folder / "signals"); }
    // Restores finished, as the program announced them.
    long restores() {
        const std::string text = signals();
        long count = 0;
        for (auto at = text.find("'lastResult'"); at != npos;
             at = text.find("'lastResult'", at + 1)) {
            ++count;
        }
        return count;
    }
    // The pointer over the empty part of the first output with its first button
    // held, as when dragging.
    void pressButton() {
        session->run({"xdotool", "mousemove", "900", "700"});
        session->run({"xdotool", "mousedown", "1"});
    }

    // Holds the test until the program has decided about every display change
    // made so far: the second output goes off, and that burst can only end in
    // a notice other than the one shown now, the gesture's with a button held
    // or the missing link's without.
    void awaitDecided() {
        const bool gestureShown = status().find(kGestureNotice) != npos;
        if (!gestureShown) pressButton();
        switchSecondOutput(false);
        const std::string answer = gestureShown ? kNoLinkNotice : kGestureNotice;
        ASSERT_TRUE(waitFor([&] { return status().find(answer) != npos; })) << status();
        if (!gestureShown) session->run({"xdotool", "mouseup", "1"});
    }

    static constexpr auto npos = std::string::npos;
    std::unique_ptr<XSession> session;
    TemporaryFolder folder;
    xcb_window_t xterm = 0;
    xcb_window_t xclock = 0;
    std::map<xcb_window_t, RectD> saved;
    std::unique_ptr<ChildProcess> monitor;
};

TEST_F(AutomationEndToEndTest, AHeldButtonDefersTheRestoreUntilAfterTheGesture) {
    ASSERT_NO_FATAL_FAILURE(shuffle());
    pressButton();
    replugSecondOutput();
    ASSERT_TRUE(waitFor([&] { return status().find(kGestureNotice) != npos; })) << status();
    EXPECT_EQ(atSavedFrames(), 0);
    EXPECT_NE(status().find("Undo: nothing to undo"), npos) << status();
    EXPECT_EQ(restores(), 0) << signals();

    session->run({"xdotool", "mouseup", "1"});
    replugSecondOutput();
    ASSERT_TRUE(waitFor([&] { return atSavedFrames() == 2; }));
    EXPECT_NE(status().find("Undo: the restore of “Work” (2 windows)"), npos) << status();
    ASSERT_NO_FATAL_FAILURE(awaitDecided());
    EXPECT_EQ(restores(), 1) << signals();
}

}  // namespace
}  // namespace orvale::testing
