#include <gtest/gtest.h>

#include "DesktopFixture.h"

namespace orvale {
namespace {

class RevalidateTest : public DesktopFixture {
  protected:
    void SetUp() override {
        pid = launch("Firefox", "org.mozilla.firefox");
        window = open(pid, {100, 100, 800, 600}, {.url = "https://first.example.com"});
        found = scanned(window);
    }

    WindowReferencePtr revalidate() { return service.revalidate(found, displays()); }

    std::int32_t pid = 0;
    AXElement window;
    WindowReference found;
};

TEST_F(RevalidateTest, ReadsTheWindowAgainUnderTheSameIdentity) {
    reshape(window, [](SimulatedWindow& w) {
        w.frame = {300, 200, 700, 500};
        w.url = "https://www.second.example.com/";
    });
    const WindowReferencePtr fresh = revalidate();
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->id, found.id);
    EXPECT_EQ(fresh->frame, (RectD{300, 200, 700, 500}));
    EXPECT_EQ(fresh->hostname, "second.example.com");
    EXPECT_EQ(fresh->windowID, found.windowID);

    // A page without an address clears the host name.
    reshape(window, [](SimulatedWindow& w) { w.url.reset(); });
    EXPECT_EQ(revalidate()->hostname, std::nullopt);

    // Filling the display is no reason to let go of a window that the
    // platform says is not full screen.
    reshape(window, [](SimulatedWindow& w) {
        w.frame = kScreen;
        w.fullScreen = false;
    });
    EXPECT_TRUE(revalidate());
}

TEST_F(RevalidateTest, AWindowThatNoLongerQualifiesGivesNothing) {
    using Change = std::function<void(WindowReference&)>;
    const auto edit = [&](std::function<void(SimulatedWindow&)> how) -> Change {
        return [this, how](WindowReference& reference) { reshape(reference.element, how); };
    };
    const std::vector<Change> changes = {
        [&](WindowReference&) { desktop.setTrusted(false); },
        [&](WindowReference& r) { desktop.setApplicationHidden(r.pid, true); },
        [&](WindowReference& r) { desktop.terminate(r.pid); },
        [&](WindowReference& r) { desktop.closeWindow(r.element); },
        // Another application under the same process is not the window's owner.
        [&](WindowReference& r) { r.bundleID = "org.example.other"; },
        [&](WindowReference& r) {
            desktop.failReads(desktop.applicationElement(r.pid), AXAttribute::windows,
                              {.code = AXErrorCode::cannotComplete});
        },
        edit([](SimulatedWindow& w) { w.role = "AXSheet"; }),
        edit([](SimulatedWindow& w) { w.subrole = "AXDialog"; }),
        edit([](SimulatedWindow& w) { w.minimized = true; }),
        edit([](SimulatedWindow& w) { w.frame = kScreen; }),
        edit([](SimulatedWindow& w) { w.fullScreen = true; }),
        edit([](SimulatedWindow& w) { w.frame.height = 0; }),
        edit([](SimulatedWindow& w) { w.onActiveDesktop = false; }),
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        desktop.setTrusted(true);
        const auto app = launch("Case " + std::to_string(i), "org.example.case");
        WindowReference reference = scanned(open(app, {200, 200, 600, 400}));
        ASSERT_NE(service.revalidate(reference, displays()), nullptr);
        changes[i](reference);
        EXPECT_EQ(service.revalidate(reference, displays()), nullptr);
    }
}

TEST_F(RevalidateTest, VisibilityIsJudgedAtTheGivenFrame) {
    EXPECT_TRUE(service.isVisibleOnActiveDesktop(found, {104, 96, 800, 600}));
    EXPECT_FALSE(service.isVisibleOnActiveDesktop(found, {500, 100, 800, 600}));

    // A twin on another desktop at the same place makes the pairing ambiguous.
    open(pid, {100, 100, 800, 600}, {.onActiveDesktop = false});
    EXPECT_FALSE(service.isVisibleOnActiveDesktop(found, found.frame));
}

TEST_F(RevalidateTest, SlowSiblingWindowsRunOutTheVisibilityDeadline) {
    // Listed before the window, each sibling's role read times out after
    // 0.1 s; the eighth spends the 0.75 s allowed and the rest are not read.
    const auto app = launch("Crowded", "org.example.crowded");
    std::vector<AXElement> siblings;
    for (int i = 0; i < 10; ++i) {
        siblings.push_back(open(app, {900, 100.0 + 10 * i, 300, 200}, {.onActiveDesktop = false}));
        desktop.setResponseTime(siblings.back(), 1.0);
    }
    WindowReference last = found;
    last.pid = app;
    last.element = open(app, {100, 100, 800, 600});
    const Clock::Instant start = clock.now();
    EXPECT_FALSE(service.isVisibleOnActiveDesktop(last, last.frame));
    EXPECT_EQ(clock.now() - start, seconds(0.8));

    for (int i = 7; i < 10; ++i) desktop.setResponseTime(siblings[i], 0);
    EXPECT_TRUE(service.isVisibleOnActiveDesktop(last, last.frame));
}

}  // namespace
}  // namespace orvale
