#include <gtest/gtest.h>

#include "DesktopFixture.h"

namespace orvale {
namespace {

// A second display to the right of the built-in one, whose key sorts before
// the built-in one's as text but not as numbers.
class CaptureTest : public DesktopFixture {
  protected:
    CaptureTest() {
        desktop.plugDisplay({.identity = {1552, 41001, 10, 0},
                             .frame = {1440, 0, 1920, 1080},
                             .visibleFrame = {1440, 0, 1920, 1080}});
    }

    CapturePreview capture(const std::set<std::string>& exclusions = {}) {
        return service.capture(displays(), exclusions);
    }
};

TEST_F(CaptureTest, BuildsEntriesRelativeToTheirDisplay) {
    const auto pid = launch("Firefox", "org.mozilla.firefox");
    const auto window = open(pid, {100, 25, 720, 437.5}, {.url = "https://www.example.com/x"});
    // Mostly on the external display.
    open(pid, {1340, 100, 960, 540});
    open(pid, {300, 300, 40, 40});
    open(launch("Private", "org.example.private"), {500, 500, 300, 300});

    const CapturePreview preview = capture({"org.example.private"});
    ASSERT_EQ(preview.entries.size(), 2u);
    const WindowEntry& first = preview.entries[0];
    EXPECT_EQ(first.bundleID, "org.mozilla.firefox");
    EXPECT_EQ(first.appName, "Firefox");
    EXPECT_EQ(first.role, "AXWindow");
    EXPECT_EQ(first.subrole, "AXStandardWindow");
    EXPECT_EQ(first.hostname, std::nullopt);
    EXPECT_EQ(first.displayKey, "1552-41001-10");
    EXPECT_EQ(first.relativeFrame, (RelativeFrame{-100.0 / 1920, 100.0 / 1080, 0.5, 0.5}));
    const WindowEntry& second = preview.entries[1];
    EXPECT_EQ(second.displayKey, "1552-41001-7");
    EXPECT_EQ(second.hostname, "example.com");
    EXPECT_EQ(second.relativeFrame, (RelativeFrame{100.0 / 1440, 0, 0.5, 0.5}));
    EXPECT_EQ(preview.references.at(second.id)->element, window);
    EXPECT_EQ(preview.displays, snapshots(displays()));
    EXPECT_EQ(preview.excludedWindowCount, 1);
    EXPECT_EQ(preview.unsupportedWindowCount, 1);
}

// By application name as a file browser orders names, then by display key as
// text; windows of one application on one display keep the scan's order.
TEST_F(CaptureTest, OrdersEntriesLikeAFileBrowser) {
    for (const char* name : {"App 10", "App 9", "beta", "Alpha", "Émile", "Zed"}) {
        open(launch(name, std::string("org.example.") + name), {100, 100, 500, 400});
    }
    const auto pid = launch("Notes", "org.example.notes");
    const auto first = open(pid, {100, 100, 500, 400});
    const auto second = open(pid, {1540, 100, 500, 400});
    const auto third = open(pid, {300, 300, 500, 400});

    const CapturePreview preview = capture();
    std::vector<std::string> labels;
    std::vector<AXElement> notes;
    for (const WindowEntry& entry : preview.entries) {
        if (entry.appName != "Notes") {
            labels.push_back(entry.appName);
            continue;
        }
        labels.push_back("Notes " + entry.displayKey.substr(entry.displayKey.rfind('-') + 1));
        notes.push_back(preview.references.at(entry.id)->element);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"Alpha", "App 9", "App 10", "beta", "Émile",
                                                "Notes 10", "Notes 7", "Notes 7", "Zed"}));
    EXPECT_EQ(notes, (std::vector{second, first, third}));
}

TEST_F(CaptureTest, EveryPartialViewIsRefusedWithItsOwnKindAndText) {
    using Kind = CaptureError::Kind;
    const auto expectError = [&](const std::vector<CurrentDisplay>& on,
                                 const CancellationFlag* cancellation, Kind kind,
                                 const std::string& text) {
        try {
            service.capture(on, {}, cancellation);
            ADD_FAILURE() << "no capture error for " << text;
        } catch (const CaptureError& error) {
            EXPECT_EQ(error.kind(), kind);
            EXPECT_EQ(error.what(), text);
        }
    };
    const std::string none = "No supported windows found. Show a window and retry.";
    expectError(displays(), nullptr, Kind::noEligibleWindows, none);
    const auto pid = launch("Notes", "org.example.notes");
    for (int i = 0; i < 12; ++i) open(pid, {100.0 + 20 * i, 100, 500, 400});
    expectError({}, nullptr, Kind::noEligibleWindows, none);

    CancellationFlag cancelled;
    cancelled.cancel();
    expectError(displays(), &cancelled, Kind::cancelled, "Window scan cancelled.");
    // Twelve windows at 0.2 s a read take longer than the six seconds allowed.
    desktop.setResponseTime(desktop.applicationElement(pid), 0.2);
    expectError(displays(), nullptr, Kind::timedOut,
                "Window scan timed out. Close unused windows and retry.");
    desktop.setResponseTime(desktop.applicationElement(pid), 0);
    open(pid, {104, 100, 500, 400}, {.onActiveDesktop = false});
    expectError(displays(), nullptr, Kind::incompleteDiscovery,
                "Couldn’t read all windows. No layout changed. Try again.");
    // Without the permission nothing else matters.
    desktop.setTrusted(false);
    expectError(displays(), &cancelled, Kind::permissionDenied,
                "No supported window manager is running. Start one to read open windows.");
}

}  // namespace
}  // namespace orvale
