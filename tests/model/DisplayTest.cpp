#include <gtest/gtest.h>

#include <limits>

#include "model/DisplayIdentity.h"
#include "model/DisplaySnapshot.h"

namespace orvale {
namespace {

TEST(DisplayIdentityTest, KeyUsesSerialOrElseUnit) {
    EXPECT_EQ((DisplayIdentity{1000, 2000, 3000, 0}).key(), "1000-2000-3000");
    EXPECT_EQ((DisplayIdentity{1000, 2000, 0, 4}).key(), "1000-2000-4");
    EXPECT_EQ((DisplayIdentity{1000, 2000, 0, 0}).key(), "1000-2000-0");
    EXPECT_EQ((DisplayIdentity{1000, 2000, 7, 3}).key(), "1000-2000-7");
    // A serial-less display and one whose serial equals that unit share a key.
    EXPECT_EQ((DisplayIdentity{1000, 2000, 0, 7}).key(), (DisplayIdentity{1000, 2000, 7, 0}).key());
    EXPECT_EQ((DisplayIdentity{4294967295u, 0, 0, 4294967295u}).key(), "4294967295-0-4294967295");
}

DisplaySnapshot storableSnapshot() {
    return DisplaySnapshot{
        {1, 2, 3, 0}, {0, 0, 1512, 982}, {0, 25, 1512, 957}, 3024, 1964, 2.0, true, false};
}

TEST(DisplaySnapshotTest, ScaleBounds) {
    for (double scale : {0.5, 1.0, 4.0}) {
        DisplaySnapshot s = storableSnapshot();
        s.scale = scale;
        EXPECT_TRUE(s.isStorable()) << scale;
    }
    for (double scale : {0.49, 4.01, 0.0, std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity()}) {
        DisplaySnapshot s = storableSnapshot();
        s.scale = scale;
        EXPECT_FALSE(s.isStorable()) << scale;
    }
}

TEST(DisplaySnapshotTest, PixelBounds) {
    DisplaySnapshot s = storableSnapshot();
    s.pixelWidth = 100'000;
    s.pixelHeight = 1;
    EXPECT_TRUE(s.isStorable());
    s.pixelWidth = 100'001;
    EXPECT_FALSE(s.isStorable());
    s.pixelWidth = 0;
    EXPECT_FALSE(s.isStorable());
    s = storableSnapshot();
    s.pixelHeight = -1;
    EXPECT_FALSE(s.isStorable());
}

TEST(DisplaySnapshotTest, FrameBoundsApplyToBothRectangles) {
    using Field = double RectD::*;
    for (bool visible : {false, true}) {
        auto with = [&](Field field, double value) {
            DisplaySnapshot s = storableSnapshot();
            RectD& rect = visible ? s.visibleFrame : s.frame;
            rect.*field = value;
            return s.isStorable();
        };
        SCOPED_TRACE(visible ? "visibleFrame" : "frame");
        EXPECT_TRUE(with(&RectD::x, -1'000'000));
        EXPECT_FALSE(with(&RectD::x, -1'000'001));
        EXPECT_TRUE(with(&RectD::y, 1'000'000));
        EXPECT_FALSE(with(&RectD::y, 1'000'000.5));
        EXPECT_TRUE(with(&RectD::width, 1'000'000));
        EXPECT_FALSE(with(&RectD::width, 1'000'001));
        EXPECT_FALSE(with(&RectD::width, 0));
        EXPECT_FALSE(with(&RectD::height, -10));
        EXPECT_FALSE(with(&RectD::height, std::numeric_limits<double>::quiet_NaN()));
        EXPECT_FALSE(with(&RectD::x, std::numeric_limits<double>::infinity()));
    }
}

TEST(DisplaySnapshotTest, VisibleFrameNeedNotLieInsideTheFrame) {
    DisplaySnapshot s = storableSnapshot();
    s.visibleFrame = {5000, 5000, 10, 10};
    EXPECT_TRUE(s.isStorable());
}

TEST(DisplaySnapshotTest, EqualityCoversFrameInferred) {
    DisplaySnapshot a = storableSnapshot();
    DisplaySnapshot b = a;
    EXPECT_EQ(a, b);
    b.frameInferred = true;
    EXPECT_NE(a, b);
}

}  // namespace
}  // namespace orvale
