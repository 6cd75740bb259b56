#include "platform/x11/Struts.h"

#include <gtest/gtest.h>

namespace orvale::x11 {
namespace {

constexpr SizeD kRoot{3840, 1440};
const RectD kLeft{0, 0, 1920, 1080};
const RectD kRight{1920, 0, 1920, 1440};

TEST(StrutsTest, eachEdgeTakesItsBandFromTheMonitorsItOverlaps) {
    const std::vector<std::vector<std::uint32_t>> struts = {
        {40, 0, 0, 0, 0, 1079, 0, 0, 0, 0, 0, 0},     // left, on the left monitor
        {0, 50, 0, 0, 0, 0, 0, 1439, 0, 0, 0, 0},     // right, on the right monitor
        {0, 0, 25, 0, 0, 0, 0, 0, 0, 3839, 0, 0},     // top, across both
        {0, 0, 0, 32, 0, 0, 0, 0, 0, 0, 1920, 3839},  // bottom of the taller one
    };
    EXPECT_EQ(visibleArea(kLeft, kRoot, struts), (RectD{40, 25, 1880, 1055}));
    EXPECT_EQ(visibleArea(kRight, kRoot, struts), (RectD{1920, 25, 1870, 1383}));
}

TEST(StrutsTest, aBottomStrutMeasuredFromTheRootEdgeMissesAShorterMonitor) {
    // The root is 1440 high; a 32-pixel bottom band across everything lies
    // below the 1080-high left monitor and leaves it whole.
    const std::vector<std::vector<std::uint32_t>> struts = {
        {0, 0, 0, 32, 0, 0, 0, 0, 0, 0, 0, 3839}};
    EXPECT_EQ(visibleArea(kLeft, kRoot, struts), kLeft);
    EXPECT_EQ(visibleArea(kRight, kRoot, struts), (RectD{1920, 0, 1920, 1408}));
}

TEST(StrutsTest, widenedPlainStrutsAndIncompleteValues) {
    constexpr std::uint32_t whole = 0xFFFFFFFF;
    const std::vector<std::vector<std::uint32_t>> struts = {
        {0, 0, 20, 0, 0, whole, 0, whole, 0, whole, 0, whole}, {1, 2, 3}};
    EXPECT_EQ(visibleArea(kRight, kRoot, struts), (RectD{1920, 20, 1920, 1420}));
}

TEST(StrutsTest, aStrutCoveringAWholeMonitorLeavesNoNegativeSize) {
    const std::vector<std::vector<std::uint32_t>> struts = {
        {2000, 0, 0, 0, 0, 1439, 0, 0, 0, 0, 0, 0}};
    const RectD visible = visibleArea(kLeft, kRoot, struts);
    EXPECT_EQ(visible.width, 0);
    EXPECT_EQ(visible.height, 1080);
}

}  // namespace
}  // namespace orvale::x11
