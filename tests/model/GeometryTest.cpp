#include "model/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvale {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void expectRect(const RectD& actual, const RectD& expected) {
    EXPECT_EQ(actual.x, expected.x);
    EXPECT_EQ(actual.y, expected.y);
    EXPECT_EQ(actual.width, expected.width);
    EXPECT_EQ(actual.height, expected.height);
}

TEST(RoundingTest, HalvesGoAwayFromZero) {
    EXPECT_EQ(roundHalfAwayFromZero(2.5), 3);
    EXPECT_EQ(roundHalfAwayFromZero(-2.5), -3);
    EXPECT_EQ(roundHalfAwayFromZero(0.5), 1);
    EXPECT_EQ(roundHalfAwayFromZero(-0.5), -1);
    EXPECT_EQ(roundHalfAwayFromZero(2.4999), 2);
    EXPECT_EQ(roundHalfAwayFromZero(-2.4999), -2);
}

TEST(RelativeFrameTest, ConvertsAgainstTheVisibleFrameAndBack) {
    const RectD window{100, 50, 800, 600};
    const RectD visible{0, 25, 1600, 975};
    const RelativeFrame relative = RelativeFrame::make(window, visible);
    EXPECT_DOUBLE_EQ(relative.x, 0.0625);
    EXPECT_DOUBLE_EQ(relative.y, 25.0 / 975.0);
    EXPECT_DOUBLE_EQ(relative.width, 0.5);
    EXPECT_DOUBLE_EQ(relative.height, 600.0 / 975.0);
    EXPECT_TRUE(relative.absolute(visible).isApproximatelyEqual(window, 1e-9));
}

TEST(RelativeFrameTest, UnusableInputGivesTheCentredQuarter) {
    const RelativeFrame fallback{0, 0, 0.5, 0.5};
    const RectD window{10, 10, 100, 100};
    EXPECT_EQ(RelativeFrame::make(window, {0, 0, 0, 800}), fallback);
    EXPECT_EQ(RelativeFrame::make(window, {0, 0, 1000, -1}), fallback);
    EXPECT_EQ(RelativeFrame::make(window, {kNaN, 0, 1000, 800}), fallback);
    EXPECT_EQ(RelativeFrame::make(window, {0, 0, kInf, 800}), fallback);
    EXPECT_EQ(RelativeFrame::make({kInf, 10, 100, 100}, {0, 0, 1000, 800}), fallback);
    EXPECT_EQ(RelativeFrame::make({10, 10, kNaN, 100}, {0, 0, 1000, 800}), fallback);
}

TEST(RelativeFrameTest, AbsoluteInAnUnusableFrameReturnsTheNumbersUnscaled) {
    const RelativeFrame relative{0.25, -0.5, -0.3, 0.75};
    expectRect(relative.absolute({0, 0, 0, 100}), {0.25, -0.5, 0, 0.75});
    expectRect(relative.absolute({kNaN, 0, 100, 100}), {0.25, -0.5, 0, 0.75});
    expectRect((RelativeFrame{0.5, 0.5, 0.5, 0.25}).absolute({100, 200, 1000, 800}),
               {600, 600, 500, 200});
}

TEST(RelativeFrameTest, StorabilityBounds) {
    EXPECT_TRUE((RelativeFrame{0, 0, 16, 16}).isStorable());
    EXPECT_TRUE((RelativeFrame{-16, 16, 0.01, 1}).isStorable());
    EXPECT_FALSE((RelativeFrame{0, 0, 16.0001, 1}).isStorable());
    EXPECT_FALSE((RelativeFrame{0, 0, 0, 1}).isStorable());
    EXPECT_FALSE((RelativeFrame{0, 0, 1, 0}).isStorable());
    EXPECT_FALSE((RelativeFrame{0, 0, 1, -1}).isStorable());
    EXPECT_FALSE((RelativeFrame{-16.5, 0, 1, 1}).isStorable());
    EXPECT_FALSE((RelativeFrame{0, 16.5, 1, 1}).isStorable());
    EXPECT_FALSE((RelativeFrame{kNaN, 0, 1, 1}).isStorable());
    EXPECT_FALSE((RelativeFrame{0, 0, kInf, 1}).isStorable());
}

TEST(RectTest, UsableFrameNeedsFiniteValuesAndArea) {
    EXPECT_TRUE((RectD{-5, -5, 1, 1}).isUsableFrame());
    EXPECT_FALSE((RectD{0, 0, 0, 1}).isUsableFrame());
    EXPECT_FALSE((RectD{0, 0, 1, -1}).isUsableFrame());
    EXPECT_FALSE((RectD{kNaN, 0, 1, 1}).isUsableFrame());
    EXPECT_FALSE((RectD{0, -kInf, 1, 1}).isUsableFrame());
}

TEST(RectTest, ApproximateEqualityIsInclusiveAndFailsOnNaN) {
    const RectD a{10, 20, 300, 400};
    EXPECT_TRUE(a.isApproximatelyEqual({14, 16, 304, 396}, 4));
    EXPECT_FALSE(a.isApproximatelyEqual({14.01, 20, 300, 400}, 4));
    EXPECT_FALSE(a.isApproximatelyEqual({10, 20, 300, 404.5}, 4));
    EXPECT_FALSE(a.isApproximatelyEqual({10, 20, kNaN, 400}, 4));
    EXPECT_FALSE((RectD{kNaN, 20, 300, 400}).isApproximatelyEqual(a, kInf));
}

TEST(ClampTest, TallWindowKeepsItsTitleStripInside) {
    const RectD bounds{0, 0, 1000, 800};
    expectRect((RectD{100, 300, 500, 1200}).clamped(bounds, {0, 0}), {100, 300, 500, 1200});
    // Pushed up only as far as needed to keep 28 points on the display.
    expectRect((RectD{100, 790, 500, 1200}).clamped(bounds, {0, 0}), {100, 772, 500, 1200});
    expectRect((RectD{100, -50, 500, 1200}).clamped(bounds, {0, 0}), {100, 0, 500, 1200});
}

TEST(ClampTest, ShortWindowFitsEntirely) {
    const RectD bounds{0, 0, 1000, 800};
    expectRect((RectD{100, 900, 500, 20}).clamped(bounds, {0, 0}), {100, 780, 500, 20});
    expectRect((RectD{100, 900, 500, 700}).clamped(bounds, {0, 0}), {100, 100, 500, 700});
}

TEST(ClampTest, WideWindowIsPinnedToTheLeftEdgeWithoutShrinking) {
    const RectD bounds{200, 0, 1000, 800};
    expectRect((RectD{700, 10, 1200, 300}).clamped(bounds, {0, 0}), {200, 10, 1200, 300});
    expectRect((RectD{-900, 10, 400, 300}).clamped(bounds, {0, 0}), {200, 10, 400, 300});
    expectRect((RectD{1100, 10, 400, 300}).clamped(bounds, {0, 0}), {800, 10, 400, 300});
}

TEST(ClampTest, MinimumSizeGrowsTheFrameBeforePlacingIt) {
    const RectD bounds{0, 0, 1000, 800};
    expectRect((RectD{950, 750, 10, 10}).clamped(bounds, {200, 100}), {800, 700, 200, 100});
}

TEST(ClampTest, ResultIsRoundedHalfAwayFromZero) {
    expectRect((RectD{10.5, -2.5, 99.4, 100.5}).clamped({0, 0, 0, 0}, {0, 0}), {11, -3, 99, 101});
    expectRect((RectD{10.5, 20.5, 99.5, 100.49}).clamped({-1000, -1000, 5000, 5000}, {0, 0}),
               {11, 21, 100, 100});
    expectRect((RectD{-10.5, -20.5, 50, 50}).clamped({-1000, -1000, 5000, 5000}, {0, 0}),
               {-11, -21, 50, 50});
}

TEST(ClampTest, UnusableBoundsLeaveTheFrameUnplaced) {
    expectRect((RectD{5000, 5000, 10, 10}).clamped({0, 0, kNaN, 800}, {100, 100}),
               {5000, 5000, 10, 10});
}

}  // namespace
}  // namespace orvale
