#include <gtest/gtest.h>

#include "DesktopFixture.h"

namespace orvale {
namespace {

class CaptureTest : public DesktopFixture {
  protected:
    CapturePreview capture(const std::set<std::string>& exclusions = {},
                           const CancellationFlag* cancellation = nullptr) {
        return service.capture(displays(), exclusions, cancellation);
    }

    // The text of the error a capture raises, or "" when it succeeds.
    std::string captureError(const std::vector<CurrentDisplay>& onDisplays,
                             const CancellationFlag* cancellation = nullptr) {
        try {
            service.capture(onDisplays, {}, cancellation);
        } catch (const CaptureError& error) {
            return error.what();
        }
        return "";
    }

    std::vector<std::string> labels(const CapturePreview& preview) {
        std::vector<std::string> result;
        for (const WindowEntry& entry : preview.entries) {
            result.push_back(entry.appName + " " + entry.displayKey);
        }
        return result;
    }
};

TEST_F(CaptureTest, BuildsEntriesRelativeToTheirDisplay) {
    desktop.plugDisplay({.identity = {1, 1, 10, 0},
                         .frame = {1440, 0, 1920, 1080},
                         .visibleFrame = {1440, 0, 1920, 1080}});
    const auto pid = launch("Firefox", "org.mozilla.firefox");
    const auto window = open(pid, {100, 25, 720, 437.5}, {.url = "https://www.example.com/x"});
    // Mostly on the external display.
    open(pid, {1340, 100, 960, 540});
    open(pid, {300, 300, 40, 40});
    const auto hidden = launch("Private", "org.example.private");
    open(hidden, {500, 500, 300, 300});

    const CapturePreview preview = capture({"org.example.private"});
    ASSERT_EQ(preview.entries.size(), 2u);
    const WindowEntry& first = preview.entries[0];
    EXPECT_EQ(first.bundleID, "org.mozilla.firefox");
    EXPECT_EQ(first.appName, "Firefox");
    EXPECT_EQ(first.role, "AXWindow");
    EXPECT_EQ(first.subrole, "AXStandardWindow");
    EXPECT_EQ(first.hostname, std::nullopt);
    EXPECT_EQ(first.displayKey, "1-1-10");
    EXPECT_EQ(first.relativeFrame, (RelativeFrame{-100.0 / 1920, 100.0 / 1080, 0.5, 0.5}));
    const WindowEntry& second = preview.entries[1];
    EXPECT_EQ(second.displayKey, "1552-41001-7");
    EXPECT_EQ(second.hostname, "example.com");
    EXPECT_EQ(second.relativeFrame, (RelativeFrame{100.0 / 1440, 0, 0.5, 0.5}));
    EXPECT_EQ(preview.references.at(second.id)->element, window);
    EXPECT_EQ(preview.references.size(), 2u);

    EXPECT_EQ(preview.displays, snapshots(displays()));
    EXPECT_EQ(preview.excludedWindowCount, 1);
    EXPECT_EQ(preview.unsupportedWindowCount, 1);
}

TEST_F(CaptureTest, OrdersApplicationsLikeAFileBrowser) {
    open(launch("App 10", "org.example.ten"), {100, 100, 500, 400});
    open(launch("App 9", "org.example.nine"), {100, 100, 500, 400});
    open(launch("beta", "org.example.beta"), {100, 100, 500, 400});
    open(launch("Alpha", "org.example.alpha"), {100, 100, 500, 400});
    open(launch("Émile", "org.example.emile"), {100, 100, 500, 400});
    open(launch("Zed", "org.example.zed"), {100, 100, 500, 400});

    const CapturePreview preview = capture();
    std::vector<std::string> names;
    for (const WindowEntry& entry : preview.entries) names.push_back(entry.appName);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Alpha", "App 9", "App 10", "beta", "Émile", "Zed"}));
}

TEST_F(CaptureTest, OneApplicationsWindowsAreOrderedByDisplayKeyAsText) {
    desktop.unplugDisplay(primaryID);
    desktop.plugDisplay({.identity = {1, 1, 3, 0},
                         .frame = {0, 0, 1000, 800},
                         .visibleFrame = {0, 0, 1000, 800},
                         .isPrimary = true});
    desktop.plugDisplay({.identity = {1, 1, 10, 0},
                         .frame = {1000, 0, 1000, 800},
                         .visibleFrame = {1000, 0, 1000, 800}});
    const auto pid = launch("Notes", "org.example.notes");
    const auto first = open(pid, {100, 100, 500, 400});
    const auto second = open(pid, {1100, 100, 500, 400});
    const auto third = open(pid, {300, 300, 500, 400});

    const CapturePreview preview = capture();
    EXPECT_EQ(labels(preview),
              (std::vector<std::string>{"Notes 1-1-10", "Notes 1-1-3", "Notes 1-1-3"}));
    // Windows on one display keep the order the scan found them in.
    EXPECT_EQ(preview.references.at(preview.entries[0].id)->element, second);
    EXPECT_EQ(preview.references.at(preview.entries[1].id)->element, first);
    EXPECT_EQ(preview.references.at(preview.entries[2].id)->element, third);
}

TEST_F(CaptureTest, AnAmbiguousPairingRefusesThePreview) {
    const auto pid = launch("Viewer", "org.example.viewer");
    open(pid, {100, 100, 600, 400});
    open(pid, {104, 100, 600, 400}, {.onActiveDesktop = false});
    open(launch("Clock", "org.example.clock"), {800, 100, 300, 300});
    EXPECT_EQ(captureError(displays()), "Couldn’t read all windows. No layout changed. Try again.");
}

TEST_F(CaptureTest, NoDisplaysOrNoWindowsGiveNoEligibleWindows) {
    EXPECT_EQ(captureError(displays()), "No supported windows found. Show a window and retry.");
    open(launch("Notes", "org.example.notes"), {100, 100, 500, 400});
    EXPECT_EQ(captureError({}), "No supported windows found. Show a window and retry.");
}

TEST_F(CaptureTest, PermissionCancellationAndTimeoutsHaveTheirOwnTexts) {
    const auto pid = launch("Notes", "org.example.notes");
    for (int i = 0; i < 12; ++i) open(pid, {100.0 + 20 * i, 100, 500, 400});

    CancellationFlag flag;
    flag.cancel();
    EXPECT_EQ(captureError(displays(), &flag), "Window scan cancelled.");

    // Each read takes 0.2 s, within the timeouts; twelve windows take longer
    // than the six seconds a capture allows.
    desktop.setResponseTime(desktop.applicationElement(pid), 0.2);
    EXPECT_EQ(captureError(displays()), "Window scan timed out. Close unused windows and retry.");

    desktop.setTrusted(false);
    EXPECT_EQ(captureError(displays(), &flag),
              "No supported window manager is running. Start one to read open windows.");
    try {
        capture();
        FAIL() << "expected a capture error";
    } catch (const CaptureError& error) {
        EXPECT_EQ(error.kind(), CaptureError::Kind::permissionDenied);
    }
}

}  // namespace
}  // namespace orvale
