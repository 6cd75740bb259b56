#include "model/Geometry.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <vector>

namespace orvale {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(RelativeFrameTest, ConvertsAgainstTheVisibleFrameAndBack) {
    const RectD window{100, 50, 800, 600};
    const RectD visible{0, 25, 1600, 800};
    const RelativeFrame relative = RelativeFrame::make(window, visible);
    EXPECT_EQ(relative, (RelativeFrame{0.0625, 0.03125, 0.5, 0.75}));
    EXPECT_EQ(relative.absolute(visible), window);
    EXPECT_EQ((RelativeFrame{0.5, 0.5, 0.5, 0.25}).absolute({100, 200, 1000, 800}),
              (RectD{600, 600, 500, 200}));
}

TEST(RelativeFrameTest, UnusableFramesGiveTheCentredQuarterOrTheNumbersUnscaled) {
    const RectD window{10, 10, 100, 100};
    for (const RectD& visible :
         {RectD{0, 0, 0, 800}, RectD{0, 0, 1000, -1}, RectD{kNaN, 0, 1, 1}}) {
        EXPECT_EQ(RelativeFrame::make(window, visible), (RelativeFrame{0, 0, 0.5, 0.5}));
    }
    EXPECT_EQ(RelativeFrame::make({kInf, 10, 100, 100}, {0, 0, 1000, 800}),
              (RelativeFrame{0, 0, 0.5, 0.5}));
    const RelativeFrame relative{0.25, -0.5, -0.3, 0.75};
    EXPECT_EQ(relative.absolute({0, 0, 0, 100}), (RectD{0.25, -0.5, 0, 0.75}));
}

TEST(GeometryTest, StorableUsableAndApproximatelyEqualBounds) {
    const std::vector<std::pair<RelativeFrame, bool>> relative = {
        {{0, 0, 16, 16}, true},   {{-16, 16, 0.01, 1}, true}, {{0, 0, 16.0001, 1}, false},
        {{0, 0, 0, 1}, false},    {{0, 0, 1, -1}, false},     {{-16.5, 0, 1, 1}, false},
        {{0, 16.5, 1, 1}, false}, {{kNaN, 0, 1, 1}, false},   {{0, 0, kInf, 1}, false}};
    for (const auto& [frame, storable] : relative) {
        EXPECT_EQ(frame.isStorable(), storable) << frame.x << " " << frame.width;
    }
    EXPECT_TRUE((RectD{-5, -5, 1, 1}).isUsableFrame());
    EXPECT_FALSE((RectD{0, 0, 0, 1}).isUsableFrame());
    EXPECT_FALSE((RectD{0, -kInf, 1, 1}).isUsableFrame());

    // Inclusive of the tolerance; a NaN on either side never compares equal.
    const RectD a{10, 20, 300, 400};
    EXPECT_TRUE(a.isApproximatelyEqual({14, 16, 304, 396}, 4));
    EXPECT_FALSE(a.isApproximatelyEqual({14.01, 20, 300, 400}, 4));
    EXPECT_FALSE(a.isApproximatelyEqual({10, 20, kNaN, 400}, 4));
    EXPECT_FALSE((RectD{kNaN, 20, 300, 400}).isApproximatelyEqual(a, kInf));
}

TEST(ClampTest, PlacesTheFrameInsideTheBoundsAndRoundsIt) {
    const RectD display{0, 0, 1000, 800};
    const RectD offset{200, 0, 1000, 800};
    const RectD large{-1000, -1000, 5000, 5000};
    // What, frame, bounds, minimum size, result.
    const std::vector<std::tuple<const char*, RectD, RectD, SizeD, RectD>> cases = {
        {"tall, inside", {100, 300, 500, 1200}, display, {}, {100, 300, 500, 1200}},
        {"tall keeps its title strip", {100, 790, 500, 1200}, display, {}, {100, 772, 500, 1200}},
        {"tall, above the top", {100, -50, 500, 1200}, display, {}, {100, 0, 500, 1200}},
        {"short fits entirely", {100, 900, 500, 20}, display, {}, {100, 780, 500, 20}},
        {"as tall as fits", {100, 900, 500, 700}, display, {}, {100, 100, 500, 700}},
        {"wide, pinned left", {700, 10, 1200, 300}, offset, {}, {200, 10, 1200, 300}},
        {"left of the bounds", {-900, 10, 400, 300}, offset, {}, {200, 10, 400, 300}},
        {"right of the bounds", {1100, 10, 400, 300}, offset, {}, {800, 10, 400, 300}},
        {"minimum first", {950, 750, 10, 10}, display, {200, 100}, {800, 700, 200, 100}},
        {"rounded only", {10.5, -2.5, 99.4, 100.5}, {}, {}, {11, -3, 99, 101}},
        {"halves up", {10.5, 20.5, 99.5, 100.49}, large, {}, {11, 21, 100, 100}},
        {"negative halves", {-10.5, -20.5, 50, 50}, large, {}, {-11, -21, 50, 50}},
        {"no bounds", {5000, 5000, 10, 10}, {0, 0, kNaN, 800}, {100, 100}, {5000, 5000, 10, 10}},
    };
    for (const auto& [what, frame, bounds, minimum, expected] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(frame.clamped(bounds, minimum), expected);
    }
}

}  // namespace
}  // namespace orvale
