#include <gtest/gtest.h>

#include "DesktopFixture.h"

namespace orvale {
namespace {

using Kind = SimulatedAction::Kind;
using Names = std::set<std::string>;

class ScanTest : public DesktopFixture {
  protected:
    static constexpr RectD kFrame{100, 100, 500, 400};
};

// Where the platform says which windows are full screen, that decides;
// elsewhere a window within three points of a display's frame is taken for one.
TEST_F(ScanTest, SizeLimitsAreInclusiveAndFullScreenAllowsThreePoints) {
    const auto pid = launch("Editor", "org.example.editor");
    const auto exact = open(pid, {10, 30, 80, 60});
    open(pid, {300, 30, 79.9, 60});
    open(pid, {600, 30, 80, 59.9});
    const auto nearlyFull = open(pid, {3.5, 0, 1440, 900});
    open(pid, {3, -3, 1443, 897});
    const auto maximised = open(pid, kScreen, {.fullScreen = false});
    open(pid, {700, 300, 500, 400}, {.fullScreen = true});

    const ScanOutput output = scan();
    EXPECT_EQ(scannedElements(output), (std::vector{exact, nearlyFull, maximised}));
    EXPECT_EQ(output.skippedCount, 4);
    EXPECT_TRUE(output.completedBundleIDs.contains("org.example.editor"));
}

TEST_F(ScanTest, FindsShownWindowsAndSkipsMinimisedAndOtherDesktopOnes) {
    const auto minimisedApp = launch("Mail", "org.example.mail");
    open(minimisedApp, kFrame, {.minimized = true});
    const auto elsewhereApp = launch("Maps", "org.example.maps");
    open(elsewhereApp, kFrame, {.onActiveDesktop = false});
    const auto pid = launch("Music", "org.example.music");
    const auto shown = open(pid, kFrame, {.number = 4242u});
    open(pid, kFrame, {.minimized = true});
    open(pid, {600, 300, 500, 400}, {.onActiveDesktop = false});

    const ScanOutput output = scan();
    ASSERT_EQ(scannedElements(output), std::vector{shown});
    const WindowReference& found = *output.windows[0];
    EXPECT_EQ(found.pid, pid);
    EXPECT_EQ(found.bundleID, "org.example.music");
    EXPECT_EQ(found.appName, "Music");
    EXPECT_EQ(found.role, "AXWindow");
    EXPECT_EQ(found.subrole, "AXStandardWindow");
    EXPECT_EQ(found.windowID, 4242u);
    EXPECT_EQ(found.frame, kFrame);
    EXPECT_EQ(output.skippedCount, 2);
    EXPECT_EQ(output.scannedApplications, 3);
    EXPECT_EQ(output.completedBundleIDs,
              (Names{"org.example.mail", "org.example.maps", "org.example.music"}));
    EXPECT_TRUE(output.incompleteBundleIDs.empty());
    EXPECT_FALSE(output.permissionDenied || output.timedOut || output.wasCancelled);
    // Asking an application that shows nothing here for its windows could only block.
    EXPECT_EQ(desktop.count(Kind::read, desktop.applicationElement(minimisedApp)), 0u);
    EXPECT_EQ(desktop.count(Kind::read, desktop.applicationElement(elsewhereApp)), 0u);
}

TEST_F(ScanTest, DialogsTakePartInPairingWithoutBeingKept) {
    const auto pid = launch("Preview", "org.example.preview");
    // A sheet-like dialog over the document window, both on screen.
    const auto document = open(pid, {100, 100, 600, 400});
    open(pid, {104, 104, 596, 396}, {.subrole = "AXDialog"});

    const ScanOutput output = scan();
    ASSERT_EQ(scannedElements(output), std::vector{document});
    // Paired as a group of two, so the window number stays unknown.
    EXPECT_EQ(output.windows[0]->windowID, std::nullopt);
    EXPECT_EQ(output.skippedCount, 1);
    EXPECT_TRUE(output.incompleteBundleIDs.empty());
}

TEST_F(ScanTest, WindowsThatCannotBeReadMakeTheirApplicationIncomplete) {
    const auto window = [&](const std::string& name, SimulatedWindow w = {}) {
        return open(launch(name, "org.example." + name), kFrame, w);
    };
    desktop.failReads(window("alpha"), AXAttribute::role, {.code = AXErrorCode::cannotComplete});
    // One application is complete only when all its instances are.
    const AXElement fine = window("beta");
    desktop.failReads(window("beta"), AXAttribute::size, {.code = AXErrorCode::noValue});
    desktop.overrideAttribute(window("gamma"), AXAttribute::subrole, 3.0);
    desktop.overrideAttribute(window("epsilon"), AXAttribute::size, AXSize{0, 400});
    desktop.overrideAttribute(desktop.applicationElement(window("eta").pid), AXAttribute::windows,
                              std::string("not a list"));
    // Closes once its role and minimised state have been read.
    desktop.vanishAfterReads(window("zeta"), 2);
    // Simply not a window, and a minimised state that cannot be read: neither
    // leaves anything unknown.
    window("delta", {.role = "AXSheet"});
    const AXElement shown = window("theta");
    desktop.failReads(shown, AXAttribute::minimized, {.code = AXErrorCode::attributeUnsupported});

    const ScanOutput output = scan();
    EXPECT_EQ(scannedElements(output), (std::vector{fine, shown}));
    EXPECT_EQ(output.skippedCount, 6);
    EXPECT_EQ(output.completedBundleIDs, (Names{"org.example.delta", "org.example.theta"}));
    EXPECT_EQ(output.incompleteBundleIDs,
              (Names{"org.example.alpha", "org.example.beta", "org.example.epsilon",
                     "org.example.eta", "org.example.gamma", "org.example.zeta"}));
}

TEST_F(ScanTest, RunningOutOfTimeMidwayKeepsWhatWasFound) {
    const auto alphaWindow = open(launch("Alpha", "org.example.alpha"), kFrame);
    const auto second = launch("Beta", "org.example.beta");
    open(second, {600, 100, 500, 400});
    open(second, {600, 500, 500, 300});
    desktop.setResponseTime(desktop.applicationElement(second), 0.3);

    // Beta's window list takes 0.3 s and its first window's role read times
    // out at 0.55 s, past the deadline, so its second window is never read.
    const ScanOutput output = service.scan(displays(), {}, nullptr, clock.now() + seconds(0.5));
    EXPECT_TRUE(output.timedOut);
    EXPECT_EQ(scannedElements(output), std::vector{alphaWindow});
    EXPECT_EQ(output.completedBundleIDs, Names{"org.example.alpha"});
    EXPECT_EQ(output.incompleteBundleIDs, Names{"org.example.beta"});
    EXPECT_EQ(desktop.count(Kind::read, desktop.applicationElement(second)), 1u);
}

TEST_F(ScanTest, CancelledOrWithoutPermissionNothingIsRead) {
    open(launch("Notes", "org.example.notes"), kFrame);
    CancellationFlag flag;
    flag.cancel();
    ScanOutput output = service.scan(displays(), {}, &flag);
    EXPECT_TRUE(output.wasCancelled);
    EXPECT_FALSE(output.timedOut);
    EXPECT_EQ(output.incompleteBundleIDs, Names{"org.example.notes"});

    desktop.setTrusted(false);
    output = scan();
    EXPECT_TRUE(output.permissionDenied);
    EXPECT_EQ(output.scannedApplications, 0);
    EXPECT_TRUE(desktop.actions().empty());
}

TEST_F(ScanTest, ScansRegularVisibleApplicationsOtherThanItselfByName) {
    const auto own = desktop.launch({.bundleID = "org.orvale.Orvale", .name = "Orvale"});
    desktop.setOwnIdentity(own, "org.orvale.Orvale");
    open(own, kFrame);
    for (const SimulatedApplication& app : std::vector<SimulatedApplication>{
             // Another process with this program's identifier, such as a second copy.
             {.bundleID = "org.orvale.Orvale", .name = "Orvale"},
             {.bundleID = "org.example.menu",
             .name = "Menu",
             .activationPolicy = ActivationPolicy::accessory},
             {.bundleID = "org.example.hidden", .name = "Hidden", .hidden = true},
             {.bundleID = "org.example.gone", .name = "Gone", .terminated = true},
             {.name = "No Identifier"}}) {
        open(desktop.launch(app), kFrame);
    }
    // Scanned by name as plain text.
    const auto zed = open(launch("zed", "org.example.zed"), kFrame);
    const auto bee = open(launch("Bee", "org.example.bee"), kFrame);
    const auto ant = open(launch("ant", "org.example.ant"), kFrame);

    const ScanOutput output = scan();
    EXPECT_EQ(scannedElements(output), (std::vector{bee, ant, zed}));
    // The application without an identifier was a candidate but is not counted.
    EXPECT_EQ(output.scannedApplications, 3);
    EXPECT_EQ(service.runningBundleIDs(),
              (Names{"org.example.ant", "org.example.bee", "org.example.hidden", "org.example.menu",
                     "org.example.zed", "org.orvale.Orvale"}));
}

TEST_F(ScanTest, ExcludedApplicationsAreCountedNotScanned) {
    const auto excluded = launch("Secret", "org.example.secret");
    open(excluded, kFrame);
    open(excluded, {600, 100, 500, 400});
    open(excluded, {600, 500, 500, 300}, {.minimized = true});
    open(launch("Public", "org.example.public"), kFrame);

    const ScanOutput output = scan({"org.example.secret"});
    EXPECT_EQ(output.windows.size(), 1u);
    EXPECT_EQ(output.excludedWindowCount, 2);
    EXPECT_EQ(desktop.count(Kind::read, desktop.applicationElement(excluded)), 0u);
    EXPECT_FALSE(output.incompleteBundleIDs.contains("org.example.secret"));
}

}  // namespace
}  // namespace orvale
