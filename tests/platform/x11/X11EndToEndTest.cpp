#include <gtest/gtest.h>

#include <map>

#include "model/Clock.h"
#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/x11/ClientsFixture.h"
#include "restore/RestoreService.h"

namespace orvale::x11 {
namespace {

using testing::frameFromTools;
using testing::kOriginX;

class X11RestoreTest : public testing::ClientsFixture {
  protected:
    void SetUp() override {
        ClientsFixture::SetUp();
        windows = std::make_unique<WindowService>(desktop->accessibility(), desktop->windowServer(),
                                                  desktop->workspace(), clock);
        restorer = std::make_unique<RestoreService>(*windows, desktop->accessibility(),
                                                    desktop->workspace(), clock);
        displays = DisplayService(desktop->screens()).currentDisplays();
    }

    Layout layoutOf(const CapturePreview& preview, std::vector<WindowEntry> entries) {
        return {.id = Uuid::generate(),
                .name = "Desk",
                .createdAt = clock.wallTime(),
                .updatedAt = clock.wallTime(),
                .displays = preview.displays,
                .entries = std::move(entries),
                .shortcut = std::nullopt,
                .automationEnabled = false,
                .automationTopologySignature = std::nullopt};
    }

    SystemClock clock;
    std::unique_ptr<WindowService> windows;
    std::unique_ptr<RestoreService> restorer;
    std::vector<CurrentDisplay> displays;
};

// Moves and resizes a window behind the backend's back, the way a user would,
// and waits until the window manager has done it.
void shuffle(testing::XSession& session, xcb_window_t window, int x, int y, int width, int height) {
    const RectD before = frameFromTools(session, window, kOriginX, 0);
    session.run({"wmctrl", "-i", "-r", testing::hex(window), "-e",
                 "0," + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) +
                     "," + std::to_string(height)});
    ASSERT_TRUE(session.waitUntil([&] {
        return !frameFromTools(session, window, kOriginX, 0).isApproximatelyEqual(before, 1);
    }));
}

TEST_F(X11RestoreTest, aCaptureIsPutBackAfterTheWindowsWereShuffled) {
    const CapturePreview preview = windows->capture(displays, {});
    ASSERT_EQ(preview.entries.size(), 3u);
    const Layout layout = layoutOf(preview, preview.entries);
    std::map<xcb_window_t, RectD> saved;
    for (const auto& [entryID, reference] : preview.references) {
        saved[static_cast<xcb_window_t>(reference->element.handle)] = reference->frame;
    }

    // Everything somewhere else, one window onto the other monitor.
    shuffle(*session, xterm.window, 1700, 500, 500, 300);
    shuffle(*session, xclock.window, 100, 700, 300, 300);
    shuffle(*session, xlogo.window, 2000, 900, 260, 200);

    const RestoreResult result = restorer->restore(layout, displays, {}, RestoreOptions{});
    ASSERT_EQ(result.entries.size(), 3u);
    for (const EntryResult& entry : result.entries) {
        EXPECT_EQ(entry.outcome, EntryOutcome::restored) << entry.label << ": " << entry.detail;
    }
    for (const auto& [window, frame] : saved) {
        EXPECT_TRUE(frameFromTools(*session, window, kOriginX, 0).isApproximatelyEqual(frame, 4))
            << testing::hex(window);
    }
}

TEST_F(X11RestoreTest, aSizeTheClientsHintsForbidIsReportedAsAdjusted) {
    const CapturePreview preview = windows->capture(displays, {});

    // Half a text row taller than the terminal was: no number of rows fits.
    const auto hints = session->cardinals(xterm.window, "WM_NORMAL_HINTS");
    ASSERT_GE(hints.size(), 11u);
    const double row = hints[10];
    ASSERT_GT(row, 8);
    Layout layout = layoutOf(preview, {});
    for (const WindowEntry& entry : preview.entries) {
        if (preview.references.at(entry.id)->element.handle != xterm.window) continue;
        WindowEntry taller = entry;
        const RectD visible = displays.back().visibleFrame;
        const RectD frame = entry.relativeFrame.absolute(visible);
        taller.relativeFrame = RelativeFrame::make(
            {frame.x, frame.y, frame.width, frame.height + 3 * row + row / 2}, visible);
        layout.entries.push_back(taller);
    }
    ASSERT_EQ(layout.entries.size(), 1u);

    const RestoreResult result = restorer->restore(layout, displays, {}, RestoreOptions{});
    ASSERT_EQ(result.entries.size(), 1u);
    EXPECT_EQ(result.entries[0].outcome, EntryOutcome::adjusted) << result.entries[0].detail;
}

}  // namespace
}  // namespace orvale::x11
