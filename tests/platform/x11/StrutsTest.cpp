#include "platform/x11/Struts.h"

#include <gtest/gtest.h>

namespace orvale::x11 {
namespace {

// A root window of 3840 × 1440 holding a 1920 × 1080 monitor on the left and
// a 1920 × 1440 one on the right.
TEST(StrutsTest, eachStrutTakesItsBandOnlyFromTheMonitorsItOverlaps) {
    constexpr SizeD root{3840, 1440};
    const RectD left{0, 0, 1920, 1080}, right{1920, 0, 1920, 1440};
    const struct {
        const char* what;
        std::vector<std::vector<std::uint32_t>> struts;
        RectD left, right;
    } cases[] = {
        {"one per edge",
         {{40, 0, 0, 0, 0, 1079, 0, 0, 0, 0, 0, 0},
          {0, 50, 0, 0, 0, 0, 0, 1439, 0, 0, 0, 0},
          {0, 0, 25, 0, 0, 0, 0, 0, 0, 3839, 0, 0},
          {0, 0, 0, 32, 0, 0, 0, 0, 0, 0, 1920, 3839}},
         {40, 25, 1880, 1055},
         {1920, 25, 1870, 1383}},
        // Measured from the root's bottom edge, below the shorter monitor.
        {"bottom", {{0, 0, 0, 32, 0, 0, 0, 0, 0, 0, 0, 3839}}, left, {1920, 0, 1920, 1408}},
        {"covering a whole monitor, and incomplete values",
         {{2000, 0, 0, 0, 0, 1439, 0, 0, 0, 0, 0, 0}, {1, 2, 3}},
         {2000, 0, 0, 1080},
         {2000, 0, 1840, 1440}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(visibleArea(left, root, c.struts), c.left) << c.what;
        EXPECT_EQ(visibleArea(right, root, c.struts), c.right) << c.what;
    }
}

TEST(StrutsTest, theWorkAreaNarrowsTheVisibleAreaUnlessItMissesItAltogether) {
    const RectD visible{0, 25, 1280, 999};
    EXPECT_EQ(withinWorkArea(visible, {0, 0, 1280, 1000}), (RectD{0, 25, 1280, 975}));
    EXPECT_EQ(withinWorkArea(visible, {40, 30, 2000, 2000}), (RectD{40, 30, 1240, 994}));
    EXPECT_EQ(withinWorkArea(visible, {1280, 0, 1280, 1024}), visible);
    EXPECT_EQ(withinWorkArea(visible, {0, 0, 0, 0}), visible);
}

}  // namespace
}  // namespace orvale::x11
