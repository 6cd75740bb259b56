#include "model/Topology.h"

#include <gtest/gtest.h>

#include <limits>

#include "model/DisplayOrder.h"

namespace orvale {
namespace {

DisplaySnapshot display(DisplayIdentity identity, RectD frame, bool primary = false,
                        double scale = 1.0) {
    return DisplaySnapshot{identity,
                           frame,
                           {frame.x, frame.y + 25, frame.width, frame.height - 25},
                           static_cast<std::int64_t>(frame.width * scale),
                           static_cast<std::int64_t>(frame.height * scale),
                           scale,
                           primary,
                           false};
}

TEST(TopologyTest, SignatureOfTwoDisplays) {
    const DisplaySnapshot builtIn = display({1000, 2000, 1, 0}, {0, 0, 1512, 982}, true, 2.0);
    const DisplaySnapshot external = display({1000, 3000, 0, 2}, {1512, 100, 1920, 1080});
    EXPECT_EQ(Topology::signature({builtIn}), "1000-2000-1@0,0,15120x9820/3024x1964@20P");
    EXPECT_EQ(Topology::signature({external, builtIn}),
              "1000-2000-1@0,0,15120x9820/3024x1964@20P|"
              "1000-3000-2@15120,1000,19200x10800/1920x1080@10S");
}

TEST(TopologyTest, EmptyListGivesEmptySignature) {
    EXPECT_EQ(Topology::signature({}), "");
}

TEST(TopologyTest, NegativeOriginsAndHalfTenths) {
    const DisplaySnapshot left = display({1, 1, 1, 0}, {-1440, -900, 1440, 900}, false, 1.5);
    EXPECT_EQ(Topology::signature({left}), "1-1-1@-14400,-9000,14400x9000/2160x1350@15S");
    EXPECT_EQ(Topology::tenths(0.05), 1);
    EXPECT_EQ(Topology::tenths(-0.05), -1);
    EXPECT_EQ(Topology::tenths(0.04), 0);
    EXPECT_EQ(Topology::tenths(-0.04), 0);
    EXPECT_EQ(Topology::tenths(0.15), 2);
    EXPECT_EQ(Topology::tenths(2.0), 20);
}

TEST(TopologyTest, NonFiniteAndOutOfRangeValuesPrintAsZero) {
    EXPECT_EQ(Topology::tenths(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(Topology::tenths(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(Topology::tenths(-std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(Topology::tenths(1e18), 0);
    EXPECT_EQ(Topology::tenths(-1e18), 0);
    EXPECT_EQ(Topology::tenths(9e17), 9'000'000'000'000'000'000);
    DisplaySnapshot odd = display({1, 1, 1, 0}, {0, 0, 100, 100});
    odd.frame.x = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Topology::signature({odd}), "1-1-1@0,0,1000x1000/100x100@10S");
}

TEST(TopologyTest, VisibleFrameAndFrameInferredPlayNoPart) {
    DisplaySnapshot a = display({1, 2, 3, 0}, {0, 0, 800, 600}, true);
    DisplaySnapshot b = a;
    b.frameInferred = true;
    b.visibleFrame = {0, 0, 10, 10};
    EXPECT_EQ(Topology::signature({a}), Topology::signature({b}));
}

TEST(TopologyTest, SwappingThePrimaryChangesTheSignature) {
    const DisplaySnapshot a = display({1, 1, 1, 0}, {0, 0, 1000, 800}, true);
    const DisplaySnapshot b = display({1, 1, 2, 0}, {1000, 0, 1000, 800});
    DisplaySnapshot a2 = a;
    a2.isPrimary = false;
    DisplaySnapshot b2 = b;
    b2.isPrimary = true;
    EXPECT_EQ(Topology::signature({a, b}), Topology::signature({b, a}));
    EXPECT_NE(Topology::signature({a, b}), Topology::signature({a2, b2}));
}

TEST(DisplayOrderTest, ByXThenYThenKeyAsText) {
    std::vector<DisplaySnapshot> displays = {
        display({9, 0, 1, 0}, {0, 0, 100, 100}),     // key 9-0-1
        display({1, 0, 1, 0}, {0, -800, 100, 100}),  // above the primary
        display({10, 0, 1, 0}, {0, 0, 100, 100}),    // key 10-0-1 sorts before 9-0-1
        display({2, 0, 1, 0}, {-100, 500, 100, 100}),
    };
    sortInDisplayOrder(displays);
    ASSERT_EQ(displays.size(), 4u);
    EXPECT_EQ(displays[0].key(), "2-0-1");
    EXPECT_EQ(displays[1].key(), "1-0-1");
    EXPECT_EQ(displays[2].key(), "10-0-1");
    EXPECT_EQ(displays[3].key(), "9-0-1");
}

TEST(DisplayOrderTest, FullTiesKeepThePlatformOrder) {
    // Serial 0 with unit 5, and serial 5: the same key at the same origin.
    DisplaySnapshot first = display({1, 1, 0, 5}, {0, 0, 100, 100}, false, 1.0);
    DisplaySnapshot second = display({1, 1, 5, 0}, {0, 0, 100, 100}, false, 2.0);
    std::vector<DisplaySnapshot> displays = {first, second};
    sortInDisplayOrder(displays);
    EXPECT_EQ(displays[0].scale, 1.0);
    displays = {second, first};
    sortInDisplayOrder(displays);
    EXPECT_EQ(displays[0].scale, 2.0);
}

}  // namespace
}  // namespace orvale
