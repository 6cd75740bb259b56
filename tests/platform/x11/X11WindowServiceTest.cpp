#include <gtest/gtest.h>
#include <signal.h>

#include <sstream>

#include "cli/Cli.h"
#include "model/Clock.h"
#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/x11/ClientsFixture.h"

namespace orvale::x11 {
namespace {

using testing::frameFromTools;
using testing::kOriginX;

// The window service's scan and frame writes on real windows.
class X11WindowServiceTest : public testing::ClientsFixture {
  protected:
    void SetUp() override {
        ClientsFixture::SetUp();
        service = std::make_unique<WindowService>(desktop->accessibility(), desktop->windowServer(),
                                                  desktop->workspace(), clock);
    }

    std::vector<CurrentDisplay> displays() {
        return DisplayService(desktop->screens()).currentDisplays();
    }

    WindowReferencePtr find(const ScanOutput& scan, xcb_window_t window) {
        for (const WindowReferencePtr& reference : scan.windows) {
            if (reference->element.handle == window) return reference;
        }
        return nullptr;
    }

    SystemClock clock;
    std::unique_ptr<WindowService> service;
};

TEST_F(X11WindowServiceTest, aScanFindsTheClientsWhereTheToolsSeeThem) {
    const ScanOutput scan = service->scan(displays(), {});
    EXPECT_FALSE(scan.permissionDenied);
    EXPECT_FALSE(scan.timedOut);
    EXPECT_TRUE(scan.incompleteBundleIDs.empty());
    ASSERT_EQ(scan.windows.size(), 3u);
    for (const auto& [client, bundleID] :
         {std::pair{xterm, "debian-xterm"}, std::pair{xclock, "XClock"},
          std::pair{xlogo, "XLogo"}}) {
        const WindowReferencePtr reference = find(scan, client.window);
        ASSERT_TRUE(reference) << bundleID;
        EXPECT_EQ(reference->bundleID, bundleID);
        EXPECT_EQ(reference->subrole, "AXStandardWindow");
        EXPECT_EQ(reference->windowID, client.window);
        EXPECT_EQ(reference->frame, frameFromTools(*session, client.window, kOriginX, 0));
    }
}

TEST_F(X11WindowServiceTest, setFrameMovesAndResizesAWindowAndVerifiesIt) {
    const ScanOutput scan = service->scan(displays(), {});
    const WindowReferencePtr clock = find(scan, xclock.window);
    ASSERT_TRUE(clock);

    const RectD target{-900, 120, 420, 330};
    const FrameApplyResult result = service->setFrame(target, *clock);
    EXPECT_TRUE(result.allFailures().empty()) << result.message().value_or("");
    ASSERT_TRUE(result.after);
    EXPECT_TRUE(result.after->isApproximatelyEqual(target, 4));
    EXPECT_TRUE(result.changed());
    EXPECT_TRUE(
        frameFromTools(*session, xclock.window, kOriginX, 0).isApproximatelyEqual(target, 4));
}

TEST_F(X11WindowServiceTest, xtermsSizeIncrementsLeaveItOffTargetAndTheResultSaysSo) {
    const ScanOutput scan = service->scan(displays(), {});
    const WindowReferencePtr terminal = find(scan, xterm.window);
    ASSERT_TRUE(terminal);
    const auto hints = session->cardinals(xterm.window, "WM_NORMAL_HINTS");
    ASSERT_GE(hints.size(), 11u);
    // Text rows are more than 8 pixels high, so half a row more than a whole
    // number of rows is more than 4 points away from every size xterm takes.
    const double cell = hints[10];
    ASSERT_GT(cell, 8);

    const RectD target{200, 150, terminal->frame.width,
                       terminal->frame.height + 5 * cell + cell / 2};
    const FrameApplyResult result = service->setFrame(target, *terminal);
    ASSERT_TRUE(result.after);
    EXPECT_FALSE(result.after->isApproximatelyEqual(target, 4));
    EXPECT_LT(std::abs(result.after->height - target.height), cell);
    EXPECT_EQ(result.after->width, target.width);
    EXPECT_EQ(result.after->x, 200);
    EXPECT_EQ(result.after->y, 150);
    // Landing elsewhere is not a failure of the write: the caller compares.
    EXPECT_TRUE(result.allFailures().empty());
}

TEST_F(X11WindowServiceTest, aClientKilledBetweenScanAndWriteIsNoLongerAvailable) {
    const ScanOutput scan = service->scan(displays(), {});
    const WindowReferencePtr terminal = find(scan, xterm.window);
    ASSERT_TRUE(terminal);
    xterm.process->signal(SIGKILL);
    ASSERT_TRUE(xterm.process->waitForExit(std::chrono::seconds(20)));
    ASSERT_TRUE(session->waitUntil([&] {
        const auto managed = session->managedWindows();
        return std::find(managed.begin(), managed.end(), xterm.window) == managed.end();
    }));

    const FrameApplyResult result = service->setFrame({10, 10, 400, 300}, *terminal);
    EXPECT_EQ(result.message(), "The window is no longer available");
    EXPECT_FALSE(result.attemptedWrite);
    EXPECT_FALSE(service->revalidate(*terminal, displays()));
}

TEST_F(X11WindowServiceTest, theCommandsListTheDisplaysAndTheWindows) {
    ::setenv("DISPLAY", session->display().c_str(), 1);
    std::ostringstream out, err;
    ASSERT_EQ(cli::run({"displays"}, out, err), 0) << err.str();
    EXPECT_EQ(out.str(),
              "left\n"
              "  key            0-0-1\n"
              "  frame          -1280, 0, 1280 × 1440\n"
              "  visible frame  -1280, 0, 1280 × 1440\n"
              "  pixels         1280 × 1440\n"
              "  scale          1\n"
              "right (primary)\n"
              "  key            0-0-0\n"
              "  frame          0, 0, 1280 × 1440\n"
              "  visible frame  0, 0, 1280 × 1440\n"
              "  pixels         1280 × 1440\n"
              "  scale          1\n"
              "Topology signature: "
              "0-0-1@-12800,0,12800x14400/1280x1440@10S|0-0-0@0,0,12800x14400/1280x1440@10P\n");

    std::ostringstream windows;
    ASSERT_EQ(cli::run({"windows"}, windows, err), 0) << err.str();
    const RectD clockFrame = frameFromTools(*session, xclock.window, kOriginX, 0);
    std::ostringstream clockLine;
    clockLine << "XClock (XClock)\n  role     AXWindow / AXStandardWindow\n  frame    "
              << clockFrame.x << ", " << clockFrame.y << ", " << clockFrame.width << " × "
              << clockFrame.height << "\n  display  right (0-0-0)\n";
    EXPECT_NE(windows.str().find(clockLine.str()), std::string::npos) << windows.str();
    EXPECT_NE(windows.str().find("XTerm (debian-xterm)"), std::string::npos);
    EXPECT_NE(windows.str().find("Skipped windows: 0\nExcluded windows: 0\n"
                                 "Incomplete applications: none\n"),
              std::string::npos)
        << windows.str();

    // Without a window manager there is nothing to read windows through.
    session->stopWindowManager();
    std::ostringstream none, denied;
    EXPECT_EQ(cli::run({"windows"}, none, denied), 1);
    EXPECT_EQ(denied.str(),
              "orvale: No supported window manager is running. Start one to read open windows.\n");

    ::setenv("DISPLAY", "", 1);
    std::ostringstream nothing, noDisplay;
    EXPECT_EQ(cli::run({"displays"}, nothing, noDisplay), 1);
    EXPECT_EQ(noDisplay.str(), "orvale: cannot open the X display “”.\n");
}

}  // namespace
}  // namespace orvale::x11
