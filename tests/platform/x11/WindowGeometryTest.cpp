#include "platform/x11/WindowGeometry.h"

#include <gtest/gtest.h>

namespace orvale::x11 {
namespace {

// ICCCM size hints, each flagged when given.
xcb_size_hints_t hints(SizeD minimum, SizeD maximum, SizeD base, SizeD increment) {
    xcb_size_hints_t h{};
    const auto set = [&](SizeD size, std::uint32_t flag, std::int32_t& width,
                         std::int32_t& height) {
        if (size == SizeD{}) return;
        h.flags |= flag;
        width = static_cast<std::int32_t>(size.width);
        height = static_cast<std::int32_t>(size.height);
    };
    set(minimum, XCB_ICCCM_SIZE_HINT_P_MIN_SIZE, h.min_width, h.min_height);
    set(maximum, XCB_ICCCM_SIZE_HINT_P_MAX_SIZE, h.max_width, h.max_height);
    set(base, XCB_ICCCM_SIZE_HINT_BASE_SIZE, h.base_width, h.base_height);
    set(increment, XCB_ICCCM_SIZE_HINT_P_RESIZE_INC, h.width_inc, h.height_inc);
    return h;
}

TEST(WindowGeometryTest, sizesStepInIncrementsFromTheBaseWithinMinimumAndMaximum) {
    const auto terminal = hints({25, 30}, {}, {4, 4}, {6, 13});
    const struct {
        std::optional<xcb_size_hints_t> hints;
        SizeD asked, given;
    } cases[] = {{terminal, {500, 300}, {496, 290}},
                 {terminal, {503, 303}, {502, 303}},
                 {hints({25, 30}, {}, {}, {}), {10, 40}, {25, 40}},
                 {hints({}, {300, 200}, {}, {10, 1}), {555.4, 180.6}, {300, 181}},
                 {std::nullopt, {0.2, 99.5}, {1, 100}}};
    for (const auto& c : cases) {
        EXPECT_EQ(constrainedSize(c.hints, c.asked), c.given) << c.asked.width;
    }
}

TEST(WindowGeometryTest, theSeenFrameIncludesDecorationsAndLeavesOutShadows) {
    // Client, border, decorations and shadow (left, right, top, bottom).
    const WindowGeometry decorated{{100, 80, 400, 300}, 0, {1, 1, 21, 4}, {}, std::nullopt};
    EXPECT_EQ(decorated.frame(), (RectD{99, 59, 402, 325}));
    EXPECT_EQ(decorated.clientSizeFor({402, 325}), (SizeD{400, 300}));
    EXPECT_EQ(decorated.outerFor(10, 20), (RectD{10, 20, 402, 325}));

    const WindowGeometry shadowed{{100, 80, 460, 360}, 0, {}, {30, 30, 20, 40}, std::nullopt};
    EXPECT_EQ(shadowed.frame(), (RectD{130, 100, 400, 300}));
    EXPECT_EQ(shadowed.clientSizeFor({400, 300}), (SizeD{460, 360}));
    EXPECT_EQ(shadowed.outerFor(130, 100), (RectD{100, 80, 460, 360}));

    const WindowGeometry bordered{{0, 0, 104, 84}, 2, {}, {}, std::nullopt};
    EXPECT_EQ(bordered.clientSize(), (SizeD{100, 80}));
    EXPECT_EQ(bordered.clientSizeFor({104, 84}), (SizeD{100, 80}));
}

}  // namespace
}  // namespace orvale::x11
