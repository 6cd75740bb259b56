#include <gtest/gtest.h>
#include <signal.h>

#include <future>
#include <limits>

#include "platform/x11/ClientsFixture.h"

namespace orvale::x11 {
namespace {

using testing::kTimeout;
using testing::XSession;

using X11WindowsTest = testing::ClientsFixture;

TEST_F(X11WindowsTest, realClientsReadAsApplicationsWithWindowsWhereTheToolsSeeThem) {
    Accessibility& ax = desktop->accessibility();
    EXPECT_TRUE(ax.isProcessTrusted());

    std::vector<xcb_window_t> order;
    const auto windows = desktop->windowServer().onScreenWindows();
    for (const WindowInfo& info : windows.value()) {
        order.push_back(info.number.value());
        EXPECT_EQ(info.bounds, toolsFrame(*info.number));
        EXPECT_EQ(info.bounds, frameOf(*info.number));
        EXPECT_EQ(info.layer, 0);
        EXPECT_EQ(info.alpha, 1.0);
    }
    // The newest window is in front.
    EXPECT_EQ(order, (std::vector<xcb_window_t>{xlogo.window, xclock.window, xterm.window}));

    // xterm says which process it is; xlogo does not, and stands in under a
    // number of its own.
    const std::int32_t xtermPid = pidOf(xterm.window);
    EXPECT_EQ(xtermPid, xterm.process->pid());
    if (session->cardinals(xlogo.window, "_NET_WM_PID").empty()) {
        EXPECT_LT(pidOf(xlogo.window), 0);
        EXPECT_NE(pidOf(xlogo.window), pidOf(xclock.window));
    }
    const AXElement window{xtermPid, xterm.window};
    for (const auto& [attribute, value] : std::vector<std::pair<std::string_view, AXValue>>{
             {AXAttribute::role, "AXWindow"},
             {AXAttribute::subrole, "AXStandardWindow"},
             {AXAttribute::minimized, false}}) {
        EXPECT_EQ(ax.copyAttributeValue(window, attribute, kTimeout).value, value) << attribute;
    }
    EXPECT_EQ(ax.copyAttributeValue(window, AXAttribute::url, kTimeout).error,
              AXErrorCode::attributeUnsupported);

    // The xterm is known by its installed application, the others by class.
    EXPECT_EQ(desktop->workspace().runningApplication(xtermPid),
              (RunningApplication{xtermPid, "debian-xterm", "XTerm", ActivationPolicy::regular,
                                  false, false}));
    EXPECT_EQ(desktop->workspace().runningApplications().size(), 3u);
}

// Only a window in the full-screen state is full screen: a maximised one that
// fills a monitor without panels is kept. Every application with a managed
// window takes part, also one that shows only a dialog or has every window
// minimised.
TEST_F(X11WindowsTest, aScanKeepsMaximisedWindowsAndCountsEveryApplication) {
    session->startClient({"zenity", "--info", "--text=Done", "--name=orvale-zenity"},
                         "orvale-zenity");
    session->wmctrl(xterm.window, {"-b", "add,maximized_vert,maximized_horz"});
    session->wmctrl(xlogo.window, {"-b", "add,fullscreen"});
    session->wmctrl(xclock.window, {"-b", "add,hidden"});
    const RectD monitor = displays().at(1).frame;
    ASSERT_TRUE(session->waitUntil([&] {
        return toolsFrame(xterm.window).isApproximatelyEqual(monitor, 3) &&
               toolsFrame(xlogo.window) == monitor && !session->isViewable(xclock.window);
    }));

    const ScanOutput scan = service->scan(displays(), {});
    ASSERT_EQ(scan.windows.size(), 1u);
    EXPECT_EQ(scan.windows[0]->element.handle, xterm.window);
    EXPECT_EQ(scan.scannedApplications, 4);
    // The full-screen xlogo and the dialog; the minimised clock is not on screen.
    EXPECT_EQ(scan.skippedCount, 2);
    EXPECT_EQ(scan.completedBundleIDs.size(), 4u);
    EXPECT_TRUE(scan.incompleteBundleIDs.empty());
}

// A scan asks for the whole desk at once, and a scan right after asks again
// only what may have changed. What other clients changed in between is seen:
// a window moved, one minimised (still its application's window, only not on
// screen) and one sent to another desktop.
TEST_F(X11WindowsTest, aScanReadsTheDeskInOneGoAndSeesWhatChangedSince) {
    const std::vector<CurrentDisplay> connected = displays();
    ASSERT_TRUE(service->hasPermission());
    std::uint64_t trips = 0;
    const auto scan = [&] {
        const std::uint64_t before = desktop->connection().roundTrips();
        ScanOutput output = service->scan(connected, {});
        trips = desktop->connection().roundTrips() - before;
        return output;
    };
    // The lists, then the windows they name; the second time at most the
    // window manager check and everything at once, should the readings age.
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(scan().windows.size(), 3u);
        EXPECT_LE(trips, 2u);
    }

    const RectD logo = toolsFrame(xlogo.window);
    const std::int32_t clockPid = pidOf(xclock.window);
    session->wmctrl(xlogo.window, {"-e", "0,1900,500,-1,-1"});
    session->wmctrl(xclock.window, {"-b", "add,hidden"});
    session->wmctrl(xterm.window, {"-t", "1"});
    ASSERT_TRUE(session->waitUntil([&] {
        return toolsFrame(xlogo.window) != logo && !session->isViewable(xclock.window) &&
               !session->isViewable(xterm.window);
    }));
    const ScanOutput after = scan();
    ASSERT_EQ(after.windows.size(), 1u);
    EXPECT_EQ(after.windows[0]->frame, toolsFrame(xlogo.window));
    EXPECT_FALSE(onScreen(xclock.window));
    EXPECT_FALSE(onScreen(xterm.window));
    Accessibility& ax = desktop->accessibility();
    EXPECT_EQ(ax.copyAttributeValue({0, xclock.window}, AXAttribute::minimized, kTimeout).value,
              AXValue(true));
    EXPECT_EQ(ax.copyAttributeValue(ax.applicationElement(clockPid), AXAttribute::windows, kTimeout)
                  .value,
              AXValue(std::vector<AXElement>{{clockPid, xclock.window}}));
}

TEST_F(X11WindowsTest, writesMoveAndResizeTheFrameTheUserSees) {
    Accessibility& ax = desktop->accessibility();
    const AXElement clock{0, xclock.window};
    const auto place = [&](AXSize size, AXPoint point) {
        EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::size, size, kTimeout),
                  AXErrorCode::success);
        EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::position, point, kTimeout),
                  AXErrorCode::success);
        const RectD target{point.x, point.y, size.width, size.height};
        EXPECT_TRUE(frameOf(xclock.window).isApproximatelyEqual(target, 4));
        EXPECT_TRUE(toolsFrame(xclock.window).isApproximatelyEqual(target, 4));
    };
    // Onto the other monitor, left of the global origin (maximised windows
    // are left to the window-manager matrix).
    place({400, 300}, {-1000, 50});

    // A place that is no number is refused, not rounded into one.
    EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::position,
                                   AXPoint{std::numeric_limits<double>::quiet_NaN(), 0}, kTimeout),
              AXErrorCode::illegalArgument);
    // A place far beyond what X can hold is clamped to its far right edge,
    // not wrapped round to the left; openbox then keeps the window on screen.
    EXPECT_EQ(ax.setAttributeValue(clock, AXAttribute::position, AXPoint{1e12, 0}, 0.3),
              AXErrorCode::success);
    EXPECT_GT(frameOf(xclock.window).x, 640);
}

TEST_F(X11WindowsTest, aWindowChangedByAnotherClientIsReadAsItIsNow) {
    // A move is told by the window manager's notice, a resize by the server;
    // each comes after a reading that could have been kept.
    for (const char* change : {"0,700,500,-1,-1", "0,-1,-1,260,210"}) {
        const RectD before = frameOf(xclock.window);
        session->wmctrl(xclock.window, {"-e", change});
        ASSERT_TRUE(session->waitUntil([&] { return toolsFrame(xclock.window) != before; }));
        EXPECT_EQ(frameOf(xclock.window), toolsFrame(xclock.window)) << change;
    }
}

TEST_F(X11WindowsTest, aClientKilledAfterItWasReadIsNoLongerAvailable) {
    Accessibility& ax = desktop->accessibility();
    const std::int32_t pid = pidOf(xterm.window);
    const AXElement window{pid, xterm.window};
    const WindowReferencePtr reference = scanned(service->scan(displays(), {}), xterm.window);
    ASSERT_TRUE(reference);

    xterm.process->signal(SIGKILL);
    ASSERT_TRUE(xterm.process->waitForExit(std::chrono::seconds(20)));
    ASSERT_TRUE(session->waitUntil([&] { return !session->isManaged(xterm.window); }));

    EXPECT_EQ(ax.setAttributeValue(window, AXAttribute::size, AXSize{300, 300}, kTimeout),
              AXErrorCode::invalidUIElement);
    EXPECT_EQ(ax.copyAttributeValue(window, AXAttribute::position, kTimeout).error,
              AXErrorCode::invalidUIElement);
    EXPECT_EQ(
        ax.copyAttributeValue(ax.applicationElement(pid), AXAttribute::windows, kTimeout).error,
        AXErrorCode::invalidUIElement);
    EXPECT_FALSE(onScreen(xterm.window));
    EXPECT_FALSE(desktop->workspace().runningApplication(pid));
    const FrameApplyResult result = service->setFrame({10, 10, 400, 300}, *reference);
    EXPECT_EQ(result.message(), "The window is no longer available");
    EXPECT_FALSE(result.attemptedWrite);
    EXPECT_FALSE(service->revalidate(*reference, displays()));
}

// A window manager that ends while a write waits for it takes the trust
// along at once, long before the write's timeout.
TEST_F(X11WindowsTest, aWindowManagerKilledDuringAWriteEndsItAtOnce) {
    Accessibility& ax = desktop->accessibility();
    const RectD before = frameOf(xclock.window);
    auto write = std::async(std::launch::async, [&] {
        return ax.setAttributeValue({0, xclock.window}, AXAttribute::position,
                                    AXPoint{before.x + 50, before.y}, 20);
    });
    session->windowManager().signal(SIGKILL);
    ASSERT_EQ(write.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(write.get(), AXErrorCode::apiDisabled);
    EXPECT_FALSE(ax.isProcessTrusted());
}

// Trust follows what a window manager announces, step by step, as a fresh
// backend reads it each time: a check window that names itself, and support
// for everything moving windows needs.
TEST(X11TrustTest, grantedExactlyWhileAWindowManagerAnnouncesWhatMovingWindowsNeeds) {
    auto session = XSession::startXvfb(640, 480);
    xcb_connection_t* c = session->connection().raw();
    const xcb_window_t root = session->root(), check = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, check, root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    std::vector<std::uint32_t> needed;
    for (const char* name : {"_NET_CLIENT_LIST", "_NET_CLIENT_LIST_STACKING",
                             "_NET_MOVERESIZE_WINDOW", "_NET_WM_STATE"}) {
        needed.push_back(session->atom(name));
    }
    const auto announce = [&](xcb_window_t window, const char* property,
                              const std::vector<std::uint32_t>& values) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, session->atom(property),
                            XCB_ATOM_CARDINAL, 32, static_cast<std::uint32_t>(values.size()),
                            values.data());
        session->cardinals(window, property);  // a round trip: the change is made
        return X11Desktop::open(session->display().c_str())->accessibility().isProcessTrusted();
    };
    EXPECT_FALSE(announce(root, "_NET_SUPPORTING_WM_CHECK", {check}));
    EXPECT_FALSE(announce(check, "_NET_SUPPORTING_WM_CHECK", {check}));
    EXPECT_FALSE(announce(root, "_NET_SUPPORTED", {needed.begin(), needed.end() - 1}));
    EXPECT_TRUE(announce(root, "_NET_SUPPORTED", needed));
    // A window manager that died leaves its root properties behind.
    xcb_destroy_window(c, check);
    EXPECT_FALSE(announce(root, "_NET_SUPPORTED", needed));
}

}  // namespace
}  // namespace orvale::x11
