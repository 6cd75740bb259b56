#include <gtest/gtest.h>

#include "DesktopFixture.h"

namespace orvale {
namespace {

class RevalidateTest : public DesktopFixture {
  protected:
    void SetUp() override {
        pid = launch("Firefox", "org.mozilla.firefox");
        window = open(pid, {100, 100, 800, 600}, {.url = "https://first.example.com"});
        const ScanOutput output = scan();
        ASSERT_EQ(output.windows.size(), 1u);
        found = output.windows[0];
    }

    WindowReferencePtr revalidate() { return service.revalidate(*found, displays()); }

    std::int32_t pid = 0;
    AXElement window;
    WindowReferencePtr found;
};

TEST_F(RevalidateTest, ReadsTheWindowAgainUnderTheSameIdentity) {
    reshape(window, [](SimulatedWindow& w) {
        w.frame = {300, 200, 700, 500};
        w.url = "https://www.second.example.com/";
    });
    const WindowReferencePtr fresh = revalidate();
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->id, found->id);
    EXPECT_EQ(fresh->frame, (RectD{300, 200, 700, 500}));
    EXPECT_EQ(fresh->hostname, "second.example.com");
    EXPECT_EQ(fresh->windowID, found->windowID);
    EXPECT_EQ(desktop.messagingTimeout(desktop.applicationElement(pid)), 0.2);

    // A page without an address clears the host name.
    reshape(window, [](SimulatedWindow& w) { w.url.reset(); });
    EXPECT_EQ(revalidate()->hostname, std::nullopt);
}

TEST_F(RevalidateTest, AWindowThatNoLongerQualifiesGivesNothing) {
    using Change = std::function<void(std::int32_t, const AXElement&)>;
    const auto edit = [&](std::function<void(SimulatedWindow&)> how) -> Change {
        return [this, how](std::int32_t, const AXElement& element) { reshape(element, how); };
    };
    const std::vector<Change> changes = {
        [&](std::int32_t, const AXElement&) { desktop.setTrusted(false); },
        [&](std::int32_t app, const AXElement&) { desktop.setApplicationHidden(app, true); },
        [&](std::int32_t app, const AXElement&) { desktop.terminate(app); },
        [&](std::int32_t, const AXElement& element) { desktop.closeWindow(element); },
        edit([](SimulatedWindow& w) { w.role = "AXSheet"; }),
        edit([](SimulatedWindow& w) { w.subrole = "AXDialog"; }),
        edit([](SimulatedWindow& w) { w.minimized = true; }),
        edit([](SimulatedWindow& w) {
            w.frame = {0, 0, 1440, 900};
        }),
        edit([](SimulatedWindow& w) {
            w.frame = {100, 100, 800, 0};
        }),
        edit([](SimulatedWindow& w) { w.onActiveDesktop = false; }),
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        desktop.setTrusted(true);
        const auto app = launch("Case " + std::to_string(i), "org.example.case");
        const AXElement element = open(app, {200, 200, 600, 400});
        WindowReference reference = *found;
        reference.element = element;
        reference.pid = app;
        reference.bundleID = "org.example.case";
        reference.frame = {200, 200, 600, 400};
        ASSERT_NE(service.revalidate(reference, displays()), nullptr);
        changes[i](app, element);
        EXPECT_EQ(service.revalidate(reference, displays()), nullptr);
    }
}

TEST_F(RevalidateTest, AnotherApplicationUnderTheSameProcessIsNotTheWindowsOwner) {
    WindowReference renamed = *found;
    renamed.bundleID = "org.example.other";
    EXPECT_EQ(service.revalidate(renamed, displays()), nullptr);
}

TEST_F(RevalidateTest, VisibilityIsJudgedAtTheGivenFrame) {
    EXPECT_TRUE(service.isVisibleOnActiveDesktop(*found, {104, 96, 800, 600}));
    EXPECT_FALSE(service.isVisibleOnActiveDesktop(*found, {500, 100, 800, 600}));
    EXPECT_EQ(desktop.messagingTimeout(window), 0.1);

    // A twin on another desktop at the same place makes the pairing ambiguous.
    open(pid, {100, 100, 800, 600}, {.onActiveDesktop = false});
    EXPECT_FALSE(service.isVisibleOnActiveDesktop(*found, found->frame));
}

TEST_F(RevalidateTest, AnUnreadableWindowListMeansNotVisible) {
    desktop.failReads(desktop.applicationElement(pid), AXAttribute::windows,
                      {.code = AXErrorCode::cannotComplete});
    EXPECT_FALSE(service.isVisibleOnActiveDesktop(*found, found->frame));
    EXPECT_EQ(revalidate(), nullptr);
}

TEST_F(RevalidateTest, SlowSiblingWindowsRunOutTheVisibilityDeadline) {
    // Listed before the window, each sibling's role read times out after
    // 0.1 s; eight of them spend the 0.75 s allowed.
    const auto app = launch("Crowded", "org.example.crowded");
    std::vector<AXElement> siblings;
    for (int i = 0; i < 8; ++i) {
        siblings.push_back(open(app, {900, 100.0 + 10 * i, 300, 200}, {.onActiveDesktop = false}));
        desktop.setResponseTime(siblings.back(), 1.0);
    }
    WindowReference last = *found;
    last.pid = app;
    last.element = open(app, {100, 100, 800, 600});
    EXPECT_FALSE(service.isVisibleOnActiveDesktop(last, last.frame));

    desktop.setResponseTime(siblings.back(), 0);
    EXPECT_TRUE(service.isVisibleOnActiveDesktop(last, last.frame));
}

}  // namespace
}  // namespace orvale
