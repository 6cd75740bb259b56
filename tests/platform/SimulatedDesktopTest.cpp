#include "platform/sim/SimulatedDesktop.h"

#include <gtest/gtest.h>

namespace orvale {
namespace {

class SimulatedDesktopTest : public ::testing::Test {
  protected:
    void SetUp() override { pid = desktop.launch({.bundleID = "org.example.app", .name = "App"}); }

    AXElement open(RectD frame, SimulatedWindow window = {}) {
        window.frame = frame;
        return desktop.openWindow(pid, window);
    }

    std::vector<std::uint32_t> onScreenNumbers() {
        std::vector<std::uint32_t> numbers;
        const auto list = desktop.onScreenWindows();
        for (const WindowInfo& info : *list) numbers.push_back(*info.number);
        return numbers;
    }

    RectD frameOf(const AXElement& window) { return desktop.window(window).frame; }

    VirtualClock clock;
    SimulatedDesktop desktop{clock};
    std::int32_t pid = 0;
};

TEST_F(SimulatedDesktopTest, TheOnScreenListFollowsTheWindowsFrontToBack) {
    const auto first = open({0, 0, 100, 100}, {.number = 1u});
    open({0, 0, 100, 100}, {.number = 2u, .onScreenBounds = RectD{5, 5, 90, 90}});
    open({0, 0, 100, 100}, {.minimized = true, .number = 3u});
    open({0, 0, 100, 100}, {.onActiveDesktop = false, .number = 4u});
    const auto other = desktop.launch({.bundleID = "org.example.other"});
    desktop.openWindow(other, {.frame = {0, 0, 100, 100}, .number = 5u});
    desktop.addOnScreenEntry({std::nullopt, 9u, std::nullopt, std::nullopt, std::nullopt});

    EXPECT_EQ(onScreenNumbers(), (std::vector<std::uint32_t>{1, 2, 5, 9}));
    EXPECT_EQ((*desktop.onScreenWindows())[1].bounds, (RectD{5, 5, 90, 90}));
    EXPECT_EQ((*desktop.onScreenWindows())[0].ownerPID, pid);

    desktop.setApplicationHidden(other, true);
    desktop.raise(desktop.openWindow(pid, {.frame = {0, 0, 10, 10}, .number = 6u}));
    EXPECT_EQ(onScreenNumbers(), (std::vector<std::uint32_t>{6, 1, 2, 9}));

    // The application still lists its minimised and other-desktop windows.
    const AXResult list = desktop.copyAttributeValue(desktop.applicationElement(pid), "AXWindows");
    ASSERT_TRUE(std::holds_alternative<std::vector<AXElement>>(list.value));
    EXPECT_EQ(std::get<std::vector<AXElement>>(list.value).size(), 5u);
    EXPECT_EQ(std::get<std::vector<AXElement>>(list.value)[0], first);
}

TEST_F(SimulatedDesktopTest, ASlowAnswerSpendsAtMostTheMessagingTimeout) {
    const auto window = open({0, 0, 100, 100});
    desktop.setResponseTime(window, 0.5);
    desktop.setMessagingTimeout(window, 0.6);
    EXPECT_EQ(desktop.copyAttributeValue(window, "AXRole").error, AXErrorCode::success);
    EXPECT_EQ(clock.now() - Clock::Instant{}, seconds(0.5));

    desktop.setMessagingTimeout(window, 0.25);
    EXPECT_EQ(desktop.setAttributeValue(window, "AXPosition", AXPoint{5, 5}),
              AXErrorCode::cannotComplete);
    EXPECT_EQ(clock.now() - Clock::Instant{}, seconds(0.75));
    EXPECT_EQ(frameOf(window).x, 0);
    EXPECT_DOUBLE_EQ(clock.wallTime().secondsSince1970, 1'750'000'000.75);
}

TEST_F(SimulatedDesktopTest, WritesObeyLimitsIncrementsAndOffsets) {
    const auto window = open({0, 0, 400, 300}, {.minimumSize = SizeD{200, 100},
                                                .maximumSize = SizeD{1000, 800},
                                                .sizeIncrement = SizeD{7, 10},
                                                .landingOffset = {1, 2}});
    EXPECT_EQ(desktop.setAttributeValue(window, "AXSize", AXSize{500, 455}), AXErrorCode::success);
    EXPECT_EQ(frameOf(window), (RectD{0, 0, 494, 450}));
    desktop.setAttributeValue(window, "AXSize", AXSize{50, 5000});
    EXPECT_EQ(frameOf(window), (RectD{0, 0, 200, 800}));
    desktop.setAttributeValue(window, "AXPosition", AXPoint{10, 20});
    EXPECT_EQ(frameOf(window), (RectD{11, 22, 200, 800}));

    EXPECT_EQ(desktop.setAttributeValue(window, "AXSize", AXPoint{1, 1}),
              AXErrorCode::illegalArgument);
    EXPECT_EQ(desktop.setAttributeValue(window, "AXMinimized", true),
              AXErrorCode::attributeUnsupported);

    const auto stubborn = open({0, 0, 400, 300}, {.ignoresWrites = true});
    EXPECT_EQ(desktop.setAttributeValue(stubborn, "AXPosition", AXPoint{9, 9}),
              AXErrorCode::success);
    EXPECT_EQ(frameOf(stubborn), (RectD{0, 0, 400, 300}));
}

}  // namespace
}  // namespace orvale
