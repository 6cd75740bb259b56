#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <limits>

#include "platform/x11/ClientsFixture.h"
#include "platform/x11/X11Desktop.h"

namespace orvale::x11 {
namespace {

using testing::frameFromTools;
using testing::kOriginX;
using testing::XSession;

using X11WindowsTest = testing::ClientsFixture;

// Long enough for any answer from a window manager that is running.
constexpr double kTimeout = 2.0;

TEST_F(X11WindowsTest, realClientsReadAsApplicationsWithWindowsWhereTheToolsSeeThem) {
    Accessibility& ax = desktop->accessibility();
    EXPECT_TRUE(ax.isProcessTrusted());

    const auto windows = desktop->windowServer().onScreenWindows();
    ASSERT_TRUE(windows);
    std::vector<xcb_window_t> order;
    for (const WindowInfo& info : *windows) {
        ASSERT_TRUE(info.number && info.ownerPID && info.layer && info.alpha && info.bounds);
        order.push_back(*info.number);
        // Each on-screen window agrees with the tools and with its own element.
        EXPECT_EQ(*info.bounds, frameFromTools(*session, *info.number, kOriginX, 0));
        EXPECT_EQ(*info.bounds, frameOf(*info.number));
        EXPECT_EQ(*info.layer, 0);
        EXPECT_EQ(*info.alpha, 1.0);
    }
    // The newest window is in front.
    EXPECT_EQ(order, (std::vector<xcb_window_t>{xlogo.window, xclock.window, xterm.window}));
    // Placed on the primary monitor at its own request, decorations around it.
    const RectD xclockFrame = frameOf(xclock.window);
    EXPECT_GT(xclockFrame.width, 200);
    EXPECT_GT(xclockFrame.height, 180);
    EXPECT_GE(xclockFrame.x, 0);

    // xterm says which process it is; its application lists exactly its window.
    const std::int32_t xtermPid = pidOf(xterm.window);
    EXPECT_EQ(xtermPid, xterm.process->pid());
    const AXResult xtermWindows =
        ax.copyAttributeValue(ax.applicationElement(xtermPid), AXAttribute::windows, kTimeout);
    EXPECT_EQ(xtermWindows.error, AXErrorCode::success);
    EXPECT_EQ(xtermWindows.value, AXValue(std::vector<AXElement>{{xtermPid, xterm.window}}));

    const AXElement window{xtermPid, xterm.window};
    EXPECT_EQ(ax.copyAttributeValue(window, AXAttribute::role, kTimeout).value,
              AXValue("AXWindow"));
    EXPECT_EQ(ax.copyAttributeValue(window, AXAttribute::subrole, kTimeout).value,
              AXValue("AXStandardWindow"));
    EXPECT_EQ(ax.copyAttributeValue(window, AXAttribute::minimized, kTimeout).value,
              AXValue(false));
    EXPECT_EQ(ax.copyAttributeValue(window, AXAttribute::url, kTimeout).error,
              AXErrorCode::attributeUnsupported);
    EXPECT_EQ(ax.copyAttributeValue(window, AXAttribute::document, kTimeout).error,
              AXErrorCode::attributeUnsupported);

    // Each window belongs to one application; the xterm one is known by its
    // .desktop file, xlogo by its class.
    Workspace& workspace = desktop->workspace();
    const auto xtermApp = workspace.runningApplication(xtermPid);
    ASSERT_TRUE(xtermApp);
    EXPECT_EQ(xtermApp->bundleID, "debian-xterm");
    EXPECT_EQ(xtermApp->localizedName, "XTerm");
    EXPECT_EQ(xtermApp->activationPolicy, ActivationPolicy::regular);
    EXPECT_FALSE(xtermApp->isHidden);

    const std::int32_t xlogoPid = pidOf(xlogo.window);
    const auto xlogoApp = workspace.runningApplication(xlogoPid);
    ASSERT_TRUE(xlogoApp);
    EXPECT_EQ(xlogoApp->bundleID, "XLogo");
    EXPECT_EQ(ax.copyAttributeValue(ax.applicationElement(xlogoPid), AXAttribute::windows, kTimeout)
                  .value,
              AXValue(std::vector<AXElement>{{xlogoPid, xlogo.window}}));
    EXPECT_EQ(workspace.runningApplications().size(), 3u);
}

TEST_F(X11WindowsTest, aClientWithoutProcessIdIsStillFoundUnderAStableStandIn) {
    const auto pids = session->cardinals(xlogo.window, "_NET_WM_PID");
    if (!pids.empty()) GTEST_SKIP() << "this xlogo announces its process id";
    const std::int32_t standIn = pidOf(xlogo.window);
    EXPECT_LT(standIn, 0);
    EXPECT_EQ(pidOf(xlogo.window), standIn);
    EXPECT_NE(standIn, pidOf(xclock.window));
}

TEST_F(X11WindowsTest, minimisedWindowsAndWindowsOnAnotherDesktopAreNotOnScreen) {
    session->iconify(xclock.window);
    session->run({"wmctrl", "-i", "-r", testing::hex(xlogo.window), "-t", "1"});
    ASSERT_TRUE(session->waitUntil([&] {
        return hasState(xclock.window, "_NET_WM_STATE_HIDDEN") &&
               session->cardinals(xlogo.window, "_NET_WM_DESKTOP") ==
                   std::vector<std::uint32_t>{1} &&
               !session->isViewable(xlogo.window) && !session->isViewable(xclock.window);
    }));

    EXPECT_FALSE(onScreen(xclock.window));
    EXPECT_FALSE(onScreen(xlogo.window));
    EXPECT_TRUE(onScreen(xterm.window));

    Accessibility& ax = desktop->accessibility();
    EXPECT_EQ(ax.copyAttributeValue({0, xclock.window}, AXAttribute::minimized, kTimeout).value,
              AXValue(true));
    EXPECT_EQ(ax.copyAttributeValue({0, xlogo.window}, AXAttribute::minimized, kTimeout).value,
              AXValue(false));
    // Still the application's windows, only not on screen.
    const auto apps = desktop->workspace().runningApplications();
    const auto xclockApp = std::find_if(apps.begin(), apps.end(), [](const RunningApplication& a) {
        return a.bundleID == "XClock";
    });
    ASSERT_NE(xclockApp, apps.end());
    EXPECT_TRUE(xclockApp->isHidden);
    const AXResult xclockWindows = ax.copyAttributeValue(ax.applicationElement(xclockApp->pid),
                                                         AXAttribute::windows, kTimeout);
    EXPECT_EQ(xclockWindows.value,
              AXValue(std::vector<AXElement>{{xclockApp->pid, xclock.window}}));
}

TEST_F(X11WindowsTest, writesMoveAndResizeTheFrameTheUserSees) {
    Accessibility& ax = desktop->accessibility();
    const AXElement clock{0, xclock.window};

    EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::size, AXSize{400, 300}, kTimeout),
              AXErrorCode::success);
    EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::position, AXPoint{100, 200}, kTimeout),
              AXErrorCode::success);
    EXPECT_TRUE(frameOf(xclock.window).isApproximatelyEqual({100, 200, 400, 300}, 4));
    EXPECT_TRUE(frameFromTools(*session, xclock.window, kOriginX, 0)
                    .isApproximatelyEqual({100, 200, 400, 300}, 4));

    // Onto the other monitor, left of the global origin.
    EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::position, AXPoint{-1000, 50}, kTimeout),
              AXErrorCode::success);
    EXPECT_TRUE(frameOf(xclock.window).isApproximatelyEqual({-1000, 50, 400, 300}, 4));

    // A maximised window is restored to normal before it takes a size.
    session->run({"wmctrl", "-i", "-r", testing::hex(xclock.window), "-b",
                  "add,maximized_vert,maximized_horz"});
    ASSERT_TRUE(session->waitUntil(
        [&] { return hasState(xclock.window, "_NET_WM_STATE_MAXIMIZED_VERT"); }));
    EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::size, AXSize{320, 240}, kTimeout),
              AXErrorCode::success);
    EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::position, AXPoint{300, 300}, kTimeout),
              AXErrorCode::success);
    EXPECT_FALSE(hasState(xclock.window, "_NET_WM_STATE_MAXIMIZED_VERT"));
    const RectD restored = frameOf(xclock.window);
    EXPECT_TRUE(restored.isApproximatelyEqual({300, 300, 320, 240}, 4))
        << restored.x << " " << restored.y << " " << restored.width << " " << restored.height;

    // Wrong kinds of values and read-only attributes are refused.
    EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::size, AXPoint{1, 2}, kTimeout),
              AXErrorCode::illegalArgument);
    EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::position,
                                   AXPoint{std::numeric_limits<double>::quiet_NaN(), 0}, kTimeout),
              AXErrorCode::illegalArgument);
    EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::minimized, true, kTimeout),
              AXErrorCode::attributeUnsupported);
    EXPECT_EQ(ax.setAttributeValue({1, 0}, AXAttribute::position, AXPoint{0, 0}, kTimeout),
              AXErrorCode::attributeUnsupported);
    // A place far beyond what X can hold is clamped to its far right edge,
    // not wrapped round to the left; openbox then keeps the window on screen.
    EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::position, AXPoint{1e12, 0}, 0.3),
              AXErrorCode::success);
    EXPECT_GT(frameOf(xclock.window).x, 640);
}

TEST_F(X11WindowsTest, aWindowChangedByAnotherClientIsReadAsItIsNow) {
    // Read twice, so that a reading kept from the first would answer the next.
    // A move is told by the window manager's notice, a resize by the server.
    for (const char* change : {"0,700,500,-1,-1", "0,-1,-1,260,210"}) {
        const RectD before = frameOf(xclock.window);
        ASSERT_EQ(frameOf(xclock.window), before);
        session->run({"wmctrl", "-i", "-r", testing::hex(xclock.window), "-e", change});
        ASSERT_TRUE(session->waitUntil(
            [&] { return frameFromTools(*session, xclock.window, kOriginX, 0) != before; }));
        EXPECT_EQ(frameOf(xclock.window), frameFromTools(*session, xclock.window, kOriginX, 0))
            << change;
    }

    session->iconify(xclock.window);
    ASSERT_TRUE(
        session->waitUntil([&] { return hasState(xclock.window, "_NET_WM_STATE_HIDDEN"); }));
    EXPECT_EQ(desktop->accessibility()
                  .copyAttributeValue({0, xclock.window}, AXAttribute::minimized, kTimeout)
                  .value,
              AXValue(true));
}

TEST_F(X11WindowsTest, xtermsSizeIncrementsLandItOffTargetWithoutAnError) {
    Accessibility& ax = desktop->accessibility();
    const AXElement terminal{0, xterm.window};
    const RectD before = frameOf(xterm.window);
    const auto hints = session->cardinals(xterm.window, "WM_NORMAL_HINTS");
    ASSERT_GE(hints.size(), 11u);
    const std::uint32_t widthIncrement = hints[9];
    ASSERT_GT(widthIncrement, 1u);

    // Half a character cell more than the current width cannot be honoured.
    const double target = before.width + 100 + widthIncrement / 2.0;
    EXPECT_EQ(
        ax.setAttributeValue(terminal, AXAttribute::size, AXSize{target, before.height}, kTimeout),
        AXErrorCode::success);
    const RectD after = frameOf(xterm.window);
    EXPECT_NE(after.width, target);
    EXPECT_GT(after.width, before.width);
    EXPECT_LT(std::abs(after.width - target), widthIncrement);
    EXPECT_EQ(after, frameFromTools(*session, xterm.window, kOriginX, 0));
}

TEST_F(X11WindowsTest, aClientKilledAfterItWasReadIsNoLongerAvailable) {
    Accessibility& ax = desktop->accessibility();
    const std::int32_t pid = pidOf(xterm.window);
    const AXElement window{pid, xterm.window};
    ASSERT_EQ(ax.copyAttributeValue(window, AXAttribute::role, kTimeout).error,
              AXErrorCode::success);

    xterm.process->signal(SIGKILL);
    ASSERT_TRUE(xterm.process->waitForExit(std::chrono::seconds(20)));
    ASSERT_TRUE(session->waitUntil([&] {
        const auto managed = session->managedWindows();
        return std::find(managed.begin(), managed.end(), xterm.window) == managed.end();
    }));

    EXPECT_EQ(ax.setAttributeValue(window, AXAttribute::size, AXSize{300, 300}, kTimeout),
              AXErrorCode::invalidUIElement);
    EXPECT_EQ(ax.setAttributeValue(window, AXAttribute::position, AXPoint{10, 10}, kTimeout),
              AXErrorCode::invalidUIElement);
    EXPECT_EQ(ax.copyAttributeValue(window, AXAttribute::role, kTimeout).error,
              AXErrorCode::invalidUIElement);
    EXPECT_EQ(ax.copyAttributeValue(window, AXAttribute::position, kTimeout).error,
              AXErrorCode::invalidUIElement);
    EXPECT_EQ(
        ax.copyAttributeValue(ax.applicationElement(pid), AXAttribute::windows, kTimeout).error,
        AXErrorCode::invalidUIElement);
    EXPECT_FALSE(onScreen(xterm.window));
    EXPECT_FALSE(desktop->workspace().runningApplication(pid));
}

TEST_F(X11WindowsTest, aWindowManagerThatDoesNotAnswerRunsOutTheMessagingTimeout) {
    Accessibility& ax = desktop->accessibility();
    const AXElement clock{0, xclock.window};
    const RectD before = frameOf(xclock.window);

    session->windowManager().signal(SIGSTOP);
    const AXError error =
        ax.setAttributeValue(clock, AXAttribute::position, AXPoint{before.x + 50, before.y}, 0.2);
    session->windowManager().signal(SIGCONT);
    EXPECT_EQ(error, AXErrorCode::cannotComplete);

    // Without a window manager nothing can be moved, and that is what the
    // permission stands for.
    EXPECT_TRUE(ax.isProcessTrusted());
    session->stopWindowManager();
    EXPECT_FALSE(ax.isProcessTrusted());
}

}  // namespace
}  // namespace orvale::x11
