#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <tuple>
#include <vector>

#include "model/DisplayIdentity.h"
#include "model/DisplayOrder.h"
#include "model/DisplaySnapshot.h"
#include "model/Topology.h"

namespace orvale {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(DisplayIdentityTest, KeyUsesSerialOrElseUnit) {
    EXPECT_EQ((DisplayIdentity{1000, 2000, 3000, 0}).key(), "1000-2000-3000");
    EXPECT_EQ((DisplayIdentity{1000, 2000, 0, 4}).key(), "1000-2000-4");
    // A serial-less display and one whose serial equals that unit share a key.
    EXPECT_EQ((DisplayIdentity{1000, 2000, 0, 7}).key(), (DisplayIdentity{1000, 2000, 7, 0}).key());
    EXPECT_EQ((DisplayIdentity{4294967295u, 0, 0, 4294967295u}).key(), "4294967295-0-4294967295");
}

DisplaySnapshot display(DisplayIdentity identity, RectD frame, bool primary = false,
                        double scale = 1.0) {
    const RectD visible{frame.x, frame.y + 25, frame.width, frame.height - 25};
    const auto pixels = [&](double points) { return static_cast<std::int64_t>(points * scale); };
    return {identity, frame,   visible, pixels(frame.width), pixels(frame.height),
            scale,    primary, false};
}

TEST(DisplaySnapshotTest, StorableBounds) {
    const auto storable = [](const std::function<void(DisplaySnapshot&)>& change) {
        DisplaySnapshot s = display({1, 2, 3, 0}, {0, 0, 1512, 982}, true, 2.0);
        change(s);
        return s.isStorable();
    };
    for (double scale : {0.5, 4.0}) EXPECT_TRUE(storable([&](auto& s) { s.scale = scale; }));
    for (double scale : {0.49, 4.01, kNaN, kInf}) {
        EXPECT_FALSE(storable([&](auto& s) { s.scale = scale; })) << scale;
    }
    EXPECT_TRUE(storable([](auto& s) { s.pixelWidth = 100'000; }));
    EXPECT_TRUE(storable([](auto& s) { s.pixelHeight = 1; }));
    for (std::int64_t pixels : {100'001, 0, -1}) {
        EXPECT_FALSE(storable([&](auto& s) { s.pixelWidth = pixels; })) << pixels;
        EXPECT_FALSE(storable([&](auto& s) { s.pixelHeight = pixels; })) << pixels;
    }
    // The visible frame need not lie inside the frame.
    EXPECT_TRUE(storable([](auto& s) { s.visibleFrame = {5000, 5000, 10, 10}; }));

    // The same bounds for both rectangles.
    const std::vector<std::tuple<double RectD::*, double, bool>> cases = {
        {&RectD::x, -1'000'000, true},     {&RectD::x, -1'000'001, false},
        {&RectD::y, 1'000'000.5, false},   {&RectD::width, 1'000'000, true},
        {&RectD::width, 1'000'001, false}, {&RectD::width, 0, false},
        {&RectD::height, kNaN, false},     {&RectD::x, kInf, false}};
    for (auto rect : {&DisplaySnapshot::frame, &DisplaySnapshot::visibleFrame}) {
        for (const auto& [field, value, expected] : cases) {
            EXPECT_EQ(storable([&](auto& s) { (s.*rect).*field = value; }), expected) << value;
        }
    }
}

TEST(TopologyTest, SignatureListsTheDisplaysInDisplayOrder) {
    const DisplaySnapshot builtIn = display({1000, 2000, 1, 0}, {0, 0, 1512, 982}, true, 2.0);
    const DisplaySnapshot external = display({1000, 3000, 0, 2}, {1512, 100, 1920, 1080});
    const std::vector<std::pair<std::vector<DisplaySnapshot>, std::string>> cases = {
        {{}, ""},
        {{builtIn}, "1000-2000-1@0,0,15120x9820/3024x1964@20P"},
        {{external, builtIn},
         "1000-2000-1@0,0,15120x9820/3024x1964@20P|"
         "1000-3000-2@15120,1000,19200x10800/1920x1080@10S"},
        {{display({1, 1, 1, 0}, {-1440, -900, 1440, 900}, false, 1.5)},
         "1-1-1@-14400,-9000,14400x9000/2160x1350@15S"},
        {{display({1, 1, 1, 0}, {kNaN, 0, 100, 100})}, "1-1-1@0,0,1000x1000/100x100@10S"}};
    for (const auto& [displays, signature] : cases) {
        EXPECT_EQ(Topology::signature(displays), signature);
    }
}

TEST(TopologyTest, TenthsRoundHalvesAwayFromZeroAndGiveZeroOutOfRange) {
    const std::vector<std::pair<double, std::int64_t>> cases = {
        {0.05, 1},  {-0.05, -1}, {0.04, 0},  {-0.04, 0},
        {0.15, 2},  {2.0, 20},   {kNaN, 0},  {kInf, 0},
        {-kInf, 0}, {1e18, 0},   {-1e18, 0}, {9e17, 9'000'000'000'000'000'000}};
    for (const auto& [value, tenths] : cases) EXPECT_EQ(Topology::tenths(value), tenths) << value;
}

TEST(TopologyTest, VisibleFrameAndFrameInferredPlayNoPartButThePrimaryDoes) {
    const DisplaySnapshot a = display({1, 1, 1, 0}, {0, 0, 1000, 800}, true);
    const DisplaySnapshot b = display({1, 1, 2, 0}, {1000, 0, 1000, 800});
    DisplaySnapshot a2 = a;
    a2.frameInferred = true;
    a2.visibleFrame = {0, 0, 10, 10};
    EXPECT_EQ(Topology::signature({a, b}), Topology::signature({b, a2}));
    DisplaySnapshot b2 = b;
    a2.isPrimary = false;
    b2.isPrimary = true;
    EXPECT_NE(Topology::signature({a, b}), Topology::signature({a2, b2}));
}

TEST(DisplayOrderTest, ByXThenYThenKeyAsTextAndFullTiesKeepThePlatformOrder) {
    const std::vector<DisplaySnapshot> given = {
        display({9, 0, 1, 0}, {0, 0, 100, 100}),
        display({1, 0, 1, 0}, {0, -800, 100, 100}),  // above the primary
        display({10, 0, 1, 0}, {0, 0, 100, 100}),    // "10-0-1" sorts before "9-0-1"
        display({2, 0, 1, 0}, {-100, 500, 100, 100})};
    std::vector<DisplaySnapshot> sorted = given;
    sortInDisplayOrder(sorted);
    EXPECT_EQ(sorted, (std::vector{given[3], given[1], given[2], given[0]}));

    // Serial 0 with unit 5, and serial 5: the same key at the same origin.
    const DisplaySnapshot first = display({1, 1, 0, 5}, {0, 0, 100, 100}, false, 1.0);
    const DisplaySnapshot second = display({1, 1, 5, 0}, {0, 0, 100, 100}, false, 2.0);
    for (const auto& order : {std::vector{first, second}, std::vector{second, first}}) {
        std::vector<DisplaySnapshot> tied = order;
        sortInDisplayOrder(tied);
        EXPECT_EQ(tied, order);
    }
}

}  // namespace
}  // namespace orvale
