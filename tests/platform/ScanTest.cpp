#include <gtest/gtest.h>

#include "DesktopFixture.h"

namespace orvale {
namespace {

using Kind = SimulatedAction::Kind;

class ScanTest : public DesktopFixture {};

TEST_F(ScanTest, FindsStandardWindowsWithTheirApplicationAndNumber) {
    const auto pid = launch("Notes", "org.example.notes");
    const auto window =
        open(pid, {100, 100, 600, 400}, {.number = 4242u, .url = "https://example.org"});

    const ScanOutput output = scan();
    ASSERT_EQ(output.windows.size(), 1u);
    const WindowReference& found = *output.windows[0];
    EXPECT_EQ(found.element, window);
    EXPECT_EQ(found.pid, pid);
    EXPECT_EQ(found.bundleID, "org.example.notes");
    EXPECT_EQ(found.appName, "Notes");
    EXPECT_EQ(found.role, "AXWindow");
    EXPECT_EQ(found.subrole, "AXStandardWindow");
    EXPECT_EQ(found.windowID, 4242u);
    EXPECT_EQ(found.frame, (RectD{100, 100, 600, 400}));
    // Not a browser: its page is not looked at.
    EXPECT_EQ(found.hostname, std::nullopt);
    EXPECT_EQ(output.scannedApplications, 1);
    EXPECT_EQ(output.completedBundleIDs, (std::set<std::string>{"org.example.notes"}));
    EXPECT_TRUE(output.incompleteBundleIDs.empty());
    EXPECT_FALSE(output.permissionDenied || output.timedOut || output.wasCancelled);

    // Every read is bounded: 0.35 s for the application, 0.25 s per window.
    EXPECT_EQ(desktop.messagingTimeout(desktop.applicationElement(pid)), 0.35);
    EXPECT_EQ(desktop.messagingTimeout(window), 0.25);
    EXPECT_EQ(desktop.count(Kind::read, AXAttribute::url), 0u);
}

TEST_F(ScanTest, SizeLimitsAreInclusiveAndFullScreenAllowsThreePoints) {
    const auto pid = launch("Editor", "org.example.editor");
    const auto exact = open(pid, {10, 30, 80, 60});
    open(pid, {300, 30, 79.9, 60});
    open(pid, {600, 30, 80, 59.9});
    const auto nearlyFull = open(pid, {3.5, 0, 1440, 900});
    open(pid, {3, -3, 1443, 897});

    const ScanOutput output = scan();
    // The window 3.5 points off the display is no longer taken as full-screen.
    EXPECT_EQ(scannedElements(output), (std::vector<AXElement>{exact, nearlyFull}));
    EXPECT_EQ(output.skippedCount, 3);
    EXPECT_TRUE(output.completedBundleIDs.contains("org.example.editor"));
}

TEST_F(ScanTest, ApplicationsWithNothingOnScreenAreNotAskedForTheirWindows) {
    const auto minimisedApp = launch("Mail", "org.example.mail");
    open(minimisedApp, {100, 100, 500, 400}, {.minimized = true});
    const auto elsewhereApp = launch("Maps", "org.example.maps");
    open(elsewhereApp, {100, 100, 500, 400}, {.onActiveDesktop = false});
    const auto shownApp = launch("Music", "org.example.music");
    open(shownApp, {200, 200, 500, 400});

    const ScanOutput output = scan();
    EXPECT_EQ(output.windows.size(), 1u);
    EXPECT_EQ(output.scannedApplications, 3);
    EXPECT_EQ(output.completedBundleIDs,
              (std::set<std::string>{"org.example.mail", "org.example.maps", "org.example.music"}));
    EXPECT_EQ(desktop.count(Kind::read, desktop.applicationElement(minimisedApp)), 0u);
    EXPECT_EQ(desktop.count(Kind::read, desktop.applicationElement(elsewhereApp)), 0u);
    EXPECT_EQ(desktop.count(Kind::read, desktop.applicationElement(shownApp), "AXWindows"), 1u);
}

TEST_F(ScanTest, MinimisedAndOtherDesktopWindowsOfAShownApplicationAreSkipped) {
    const auto pid = launch("Finder", "org.example.files");
    const auto shown = open(pid, {100, 100, 500, 400});
    open(pid, {100, 100, 500, 400}, {.minimized = true});
    open(pid, {600, 300, 500, 400}, {.onActiveDesktop = false});

    const ScanOutput output = scan();
    EXPECT_EQ(scannedElements(output), std::vector<AXElement>{shown});
    EXPECT_EQ(output.windows[0]->windowID, desktop.window(shown).number);
    EXPECT_EQ(output.skippedCount, 2);
    EXPECT_TRUE(output.incompleteBundleIDs.empty());
}

TEST_F(ScanTest, StackedTwinWindowsAreBothKeptWithoutNumbers) {
    const auto pid = launch("Terminal", "org.example.terminal");
    const auto first = open(pid, {100, 100, 600, 400});
    const auto second = open(pid, {100, 100, 600, 400});

    const ScanOutput output = scan();
    EXPECT_EQ(scannedElements(output), (std::vector<AXElement>{first, second}));
    EXPECT_EQ(output.windows[0]->windowID, std::nullopt);
    EXPECT_EQ(output.windows[1]->windowID, std::nullopt);
    EXPECT_TRUE(output.completedBundleIDs.contains("org.example.terminal"));
}

TEST_F(ScanTest, TwoWindowsClaimingOneOnScreenWindowMakeTheApplicationIncomplete) {
    const auto pid = launch("Viewer", "org.example.viewer");
    open(pid, {100, 100, 600, 400});
    // Listed by the application, within 8 points of the first, but not shown.
    open(pid, {106, 94, 592, 408}, {.onActiveDesktop = false});
    const auto other = launch("Clock", "org.example.clock");
    const auto clockWindow = open(other, {800, 100, 300, 300});

    const ScanOutput output = scan();
    EXPECT_EQ(scannedElements(output), std::vector<AXElement>{clockWindow});
    EXPECT_EQ(output.skippedCount, 2);
    EXPECT_EQ(output.incompleteBundleIDs, std::set<std::string>{"org.example.viewer"});
    EXPECT_EQ(output.completedBundleIDs, std::set<std::string>{"org.example.clock"});
}

TEST_F(ScanTest, DialogsTakePartInPairingWithoutBeingKept) {
    const auto pid = launch("Preview", "org.example.preview");
    // A sheet-like dialog over the document window, both on screen.
    const auto document = open(pid, {100, 100, 600, 400});
    open(pid, {104, 104, 596, 396}, {.subrole = "AXDialog"});

    const ScanOutput output = scan();
    ASSERT_EQ(scannedElements(output), std::vector<AXElement>{document});
    // Paired as a group of two, so the window number stays unknown.
    EXPECT_EQ(output.windows[0]->windowID, std::nullopt);
    EXPECT_EQ(output.skippedCount, 1);
    EXPECT_TRUE(output.incompleteBundleIDs.empty());
}

TEST_F(ScanTest, UnreadableWindowsMakeTheirApplicationIncomplete) {
    const auto unreadableRole = launch("Alpha", "org.example.alpha");
    const auto a = open(unreadableRole, {100, 100, 500, 400});
    desktop.failReads(a, AXAttribute::role, {.code = AXErrorCode::cannotComplete});

    const auto unreadableFrame = launch("Beta", "org.example.beta");
    const auto b = open(unreadableFrame, {100, 100, 500, 400});
    desktop.failReads(b, AXAttribute::size, {.code = AXErrorCode::noValue});

    const auto textlessSubrole = launch("Gamma", "org.example.gamma");
    const auto c = open(textlessSubrole, {100, 100, 500, 400});
    desktop.overrideAttribute(c, AXAttribute::subrole, 3.0);

    const auto otherRole = launch("Delta", "org.example.delta");
    open(otherRole, {100, 100, 500, 400}, {.role = "AXSheet"});

    const auto emptyFrame = launch("Epsilon", "org.example.epsilon");
    const auto e = open(emptyFrame, {100, 100, 500, 400});
    desktop.overrideAttribute(e, AXAttribute::size, AXSize{0, 400});

    const ScanOutput output = scan();
    EXPECT_TRUE(output.windows.empty());
    EXPECT_EQ(output.skippedCount, 5);
    EXPECT_EQ(output.incompleteBundleIDs,
              (std::set<std::string>{"org.example.alpha", "org.example.beta", "org.example.gamma",
                                     "org.example.epsilon"}));
    // A window that is simply not a window leaves its application complete.
    EXPECT_EQ(output.completedBundleIDs, std::set<std::string>{"org.example.delta"});
}

TEST_F(ScanTest, AMinimisedStateThatCannotBeReadCountsAsShown) {
    const auto pid = launch("Books", "org.example.books");
    const auto window = open(pid, {100, 100, 500, 400});
    desktop.failReads(window, AXAttribute::minimized, {.code = AXErrorCode::attributeUnsupported});
    EXPECT_EQ(scannedElements(scan()), std::vector<AXElement>{window});
}

TEST_F(ScanTest, ASlowApplicationIsIncompleteAndTheOthersAreStillScanned) {
    const auto slow = launch("Aardvark", "org.example.slow");
    open(slow, {100, 100, 500, 400});
    desktop.setResponseTime(desktop.applicationElement(slow), 2.0);
    const auto quick = launch("Zebra", "org.example.quick");
    const auto quickWindow = open(quick, {700, 100, 500, 400});

    const Clock::Instant start = clock.now();
    const ScanOutput output = scan();
    EXPECT_EQ(scannedElements(output), std::vector<AXElement>{quickWindow});
    EXPECT_EQ(output.incompleteBundleIDs, std::set<std::string>{"org.example.slow"});
    EXPECT_EQ(output.completedBundleIDs, std::set<std::string>{"org.example.quick"});
    // The slow answer cost exactly the application's messaging timeout.
    EXPECT_EQ(clock.now() - start, seconds(0.35));
}

TEST_F(ScanTest, AWindowListThatIsNotAListIsAFailedRead) {
    const auto pid = launch("Odd", "org.example.odd");
    open(pid, {100, 100, 500, 400});
    desktop.overrideAttribute(desktop.applicationElement(pid), AXAttribute::windows,
                              std::string("not a list"));
    const ScanOutput output = scan();
    EXPECT_TRUE(output.windows.empty());
    EXPECT_EQ(output.incompleteBundleIDs, std::set<std::string>{"org.example.odd"});
}

TEST_F(ScanTest, ADeadlineAlreadyPastFindsNothingAndLeavesEveryCandidateIncomplete) {
    open(launch("Notes", "org.example.notes"), {100, 100, 500, 400});
    open(launch("Music", "org.example.music"), {600, 100, 500, 400});
    launch("Nameless", "org.example.nameless");

    const ScanOutput output = scan({}, nullptr, clock.now());
    EXPECT_TRUE(output.timedOut);
    EXPECT_TRUE(output.windows.empty());
    EXPECT_EQ(output.scannedApplications, 0);
    EXPECT_TRUE(output.completedBundleIDs.empty());
    EXPECT_EQ(
        output.incompleteBundleIDs,
        (std::set<std::string>{"org.example.music", "org.example.nameless", "org.example.notes"}));
    EXPECT_EQ(desktop.count(Kind::read), 0u);
}

TEST_F(ScanTest, RunningOutOfTimeMidwayKeepsWhatWasFound) {
    const auto first = launch("Alpha", "org.example.alpha");
    const auto alphaWindow = open(first, {100, 100, 500, 400});
    const auto second = launch("Beta", "org.example.beta");
    open(second, {600, 100, 500, 400});
    open(second, {600, 500, 500, 300});
    desktop.setResponseTime(desktop.applicationElement(second), 0.3);

    // Beta's window list takes 0.3 s and its first window's role read times
    // out at 0.55 s, past the deadline, so its second window is never read.
    const ScanOutput output = scan({}, nullptr, clock.now() + seconds(0.5));
    EXPECT_TRUE(output.timedOut);
    EXPECT_EQ(scannedElements(output), std::vector<AXElement>{alphaWindow});
    EXPECT_EQ(output.completedBundleIDs, std::set<std::string>{"org.example.alpha"});
    EXPECT_EQ(output.incompleteBundleIDs, std::set<std::string>{"org.example.beta"});
    EXPECT_EQ(desktop.count(Kind::read, desktop.applicationElement(second)), 1u);
}

TEST_F(ScanTest, CancellationStopsBeforeTheNextApplication) {
    open(launch("Notes", "org.example.notes"), {100, 100, 500, 400});
    CancellationFlag flag;
    flag.cancel();
    const ScanOutput output = scan({}, &flag);
    EXPECT_TRUE(output.wasCancelled);
    EXPECT_FALSE(output.timedOut);
    EXPECT_TRUE(output.windows.empty());
    EXPECT_EQ(output.incompleteBundleIDs, std::set<std::string>{"org.example.notes"});
}

TEST_F(ScanTest, WithoutPermissionNothingIsRead) {
    open(launch("Notes", "org.example.notes"), {100, 100, 500, 400});
    desktop.setTrusted(false);
    const ScanOutput output = scan();
    EXPECT_TRUE(output.permissionDenied);
    EXPECT_TRUE(output.windows.empty());
    EXPECT_EQ(output.scannedApplications, 0);
    EXPECT_TRUE(desktop.actions().empty());
}

TEST_F(ScanTest, ChoosesOnlyRegularVisibleApplicationsOtherThanItself) {
    const auto own = desktop.launch({.bundleID = "org.orvale.Orvale", .name = "Orvale"});
    desktop.setOwnIdentity(own, "org.orvale.Orvale");
    open(own, {100, 100, 500, 400});
    // Another process with this program's identifier, such as a second copy.
    open(launch("Orvale", "org.orvale.Orvale"), {100, 100, 500, 400});
    open(desktop.launch({.bundleID = "org.example.menu",
                         .name = "Menu Helper",
                         .activationPolicy = ActivationPolicy::accessory}),
         {100, 100, 500, 400});
    open(desktop.launch({.bundleID = "org.example.hidden", .name = "Hidden", .hidden = true}),
         {100, 100, 500, 400});
    open(desktop.launch({.bundleID = "org.example.gone", .name = "Gone", .terminated = true}),
         {100, 100, 500, 400});
    open(desktop.launch({.name = "No Identifier"}), {100, 100, 500, 400});
    const auto kept = open(launch("Kept", "org.example.kept"), {100, 100, 500, 400});

    const ScanOutput output = scan();
    EXPECT_EQ(scannedElements(output), std::vector<AXElement>{kept});
    // The application without an identifier was a candidate but is not counted.
    EXPECT_EQ(output.scannedApplications, 1);
    EXPECT_EQ(output.completedBundleIDs, std::set<std::string>{"org.example.kept"});
}

TEST_F(ScanTest, ExcludedApplicationsAreCountedNotScanned) {
    const auto excluded = launch("Secret", "org.example.secret");
    open(excluded, {100, 100, 500, 400});
    open(excluded, {600, 100, 500, 400});
    open(excluded, {600, 500, 500, 300}, {.minimized = true});
    open(launch("Public", "org.example.public"), {100, 100, 500, 400});

    const ScanOutput output = scan({"org.example.secret"});
    EXPECT_EQ(output.windows.size(), 1u);
    EXPECT_EQ(output.excludedWindowCount, 2);
    EXPECT_EQ(desktop.count(Kind::read, desktop.applicationElement(excluded)), 0u);
    EXPECT_FALSE(output.incompleteBundleIDs.contains("org.example.secret"));
}

TEST_F(ScanTest, ApplicationsAreScannedByNameAsPlainText) {
    const auto zed = launch("zed", "org.example.zed");
    const auto bee = launch("Bee", "org.example.bee");
    const auto ant = launch("ant", "org.example.ant");
    const auto zedWindow = open(zed, {100, 100, 500, 400});
    const auto beeWindow = open(bee, {100, 100, 500, 400});
    const auto antWindow = open(ant, {100, 100, 500, 400});
    EXPECT_EQ(scannedElements(scan()), (std::vector<AXElement>{beeWindow, antWindow, zedWindow}));
}

TEST_F(ScanTest, ABundleIsCompleteOnlyWhenEveryInstanceIs) {
    const auto first = launch("Code", "org.example.code");
    open(first, {100, 100, 500, 400});
    const auto second = launch("Code", "org.example.code");
    const auto broken = open(second, {600, 100, 500, 400});
    desktop.failReads(broken, AXAttribute::position, {.code = AXErrorCode::cannotComplete});

    const ScanOutput output = scan();
    EXPECT_EQ(output.windows.size(), 1u);
    EXPECT_EQ(output.scannedApplications, 2);
    EXPECT_TRUE(output.completedBundleIDs.empty());
    EXPECT_EQ(output.incompleteBundleIDs, std::set<std::string>{"org.example.code"});
}

TEST_F(ScanTest, AWindowThatClosesDuringTheScanLeavesItsApplicationIncomplete) {
    const auto pid = launch("Notes", "org.example.notes");
    const auto window = open(pid, {100, 100, 500, 400});
    // Its role and minimised state are read, then it is gone.
    desktop.vanishAfterReads(window, 2);
    const ScanOutput output = scan();
    EXPECT_TRUE(output.windows.empty());
    EXPECT_EQ(output.incompleteBundleIDs, std::set<std::string>{"org.example.notes"});
}

}  // namespace
}  // namespace orvale
