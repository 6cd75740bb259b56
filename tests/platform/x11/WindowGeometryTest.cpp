#include "platform/x11/WindowGeometry.h"

#include <gtest/gtest.h>

namespace orvale::x11 {
namespace {

xcb_size_hints_t terminalHints() {
    xcb_size_hints_t hints{};
    hints.flags = XCB_ICCCM_SIZE_HINT_P_MIN_SIZE | XCB_ICCCM_SIZE_HINT_BASE_SIZE |
                  XCB_ICCCM_SIZE_HINT_P_RESIZE_INC;
    hints.min_width = 25;
    hints.min_height = 30;
    hints.base_width = 4;
    hints.base_height = 4;
    hints.width_inc = 6;
    hints.height_inc = 13;
    return hints;
}

TEST(WindowGeometryTest, sizesStepInIncrementsFromTheBaseWithinMinimumAndMaximum) {
    const auto hints = terminalHints();
    EXPECT_EQ(constrainedSize(hints, {500, 300}), (SizeD{496, 290}));
    EXPECT_EQ(constrainedSize(hints, {503, 303}), (SizeD{502, 303}));

    xcb_size_hints_t minimum{};
    minimum.flags = XCB_ICCCM_SIZE_HINT_P_MIN_SIZE;
    minimum.min_width = 25;
    minimum.min_height = 30;
    EXPECT_EQ(constrainedSize(minimum, {10, 40}), (SizeD{25, 40}));

    xcb_size_hints_t bounded{};
    bounded.flags = XCB_ICCCM_SIZE_HINT_P_MAX_SIZE | XCB_ICCCM_SIZE_HINT_P_RESIZE_INC;
    bounded.max_width = 300;
    bounded.max_height = 200;
    bounded.width_inc = 10;
    bounded.height_inc = 1;
    EXPECT_EQ(constrainedSize(bounded, {555.4, 180.6}), (SizeD{300, 181}));
    EXPECT_EQ(constrainedSize(std::nullopt, {0.2, 99.5}), (SizeD{1, 100}));
}

TEST(WindowGeometryTest, theSeenFrameIncludesDecorationsAndLeavesOutShadows) {
    WindowGeometry decorated{.client = {100, 80, 400, 300},
                             .border = 0,
                             .decorations = {1, 1, 21, 4},
                             .shadow = {},
                             .sizeHints = std::nullopt};
    EXPECT_EQ(decorated.frame(), (RectD{99, 59, 402, 325}));
    EXPECT_EQ(decorated.clientSizeFor({402, 325}), (SizeD{400, 300}));
    EXPECT_EQ(decorated.outerFor(10, 20), (RectD{10, 20, 402, 325}));

    WindowGeometry shadowed{.client = {100, 80, 460, 360},
                            .border = 0,
                            .decorations = {},
                            .shadow = {30, 30, 20, 40},
                            .sizeHints = std::nullopt};
    EXPECT_EQ(shadowed.frame(), (RectD{130, 100, 400, 300}));
    EXPECT_EQ(shadowed.clientSizeFor({400, 300}), (SizeD{460, 360}));
    EXPECT_EQ(shadowed.outerFor(130, 100).x, 100);
    EXPECT_EQ(shadowed.outerFor(130, 100).y, 80);

    WindowGeometry bordered{.client = {0, 0, 104, 84},
                            .border = 2,
                            .decorations = {},
                            .shadow = {},
                            .sizeHints = std::nullopt};
    EXPECT_EQ(bordered.clientSize(), (SizeD{100, 80}));
    EXPECT_EQ(bordered.clientSizeFor({104, 84}), (SizeD{100, 80}));
}

}  // namespace
}  // namespace orvale::x11
