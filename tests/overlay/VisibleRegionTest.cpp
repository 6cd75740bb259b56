#include "overlay/VisibleRegion.h"

#include <gtest/gtest.h>

#include "overlay/RecordingSurfaces.h"

namespace orvale {
namespace {

double area(const std::vector<RectD>& rects) {
    double total = 0;
    for (const RectD& r : rects) total += r.width * r.height;
    return total;
}

bool overlaps(const RectD& a, const RectD& b) {
    return std::max(a.x, b.x) < std::min(a.x + a.width, b.x + b.width) &&
           std::max(a.y, b.y) < std::min(a.y + a.height, b.y + b.height);
}

TEST(Subtract, LeavesExactlyThePartsOutsideTheCut) {
    const RectD whole{0, 0, 100, 80};
    struct Case {
        const char* name;
        RectD cut;
        double remaining;
        std::size_t parts;
    };
    const Case cases[] = {
        {"apart", {200, 200, 10, 10}, 8000, 1},
        {"touching an edge only", {100, 0, 10, 80}, 8000, 1},
        {"in the middle", {40, 30, 20, 20}, 8000 - 400, 4},
        {"over the right half", {50, -10, 100, 100}, 4000, 1},
        {"across the top", {-5, -5, 200, 25}, 100 * 60, 1},
        {"over everything", {-1, -1, 102, 82}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parts = subtract(c.cut, {whole});
        EXPECT_EQ(parts.size(), c.parts);
        EXPECT_DOUBLE_EQ(area(parts), c.remaining);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            EXPECT_FALSE(overlaps(parts[i], c.cut));
            for (std::size_t j = i + 1; j < parts.size(); ++j) {
                EXPECT_FALSE(overlaps(parts[i], parts[j]));
            }
        }
    }
}

TEST(VisibleParts, AreTheUncoveredRectanglesInTheTargetsOwnCoordinates) {
    const RectD target{100, 200, 400, 300};
    // A window over the right half and one far away.
    EXPECT_EQ(visibleParts(target, {{300, 0, 1000, 1000}, {2000, 2000, 50, 50}}),
              (std::vector<RectD>{{-0.5, -0.5, 201, 301}}));
    // Covered whole, by two windows together.
    EXPECT_TRUE(visibleParts(target, {{0, 0, 300, 1000}, {300, 0, 300, 1000}}).empty());
}

TEST(WindowList, DropsEntriesItCannotPlaceAndThisProgramsOverlays) {
    testing::ScriptedWindowList server;
    EXPECT_FALSE(readWindowList(server, {}).has_value());

    const RectD bounds{0, 0, 50, 50};
    server.windows = std::vector<WindowInfo>{
        {.ownerPID = 1, .number = 1, .layer = 0, .alpha = 1.0, .bounds = bounds},
        {.ownerPID = 1, .number = std::nullopt, .layer = 0, .alpha = 1.0, .bounds = bounds},
        {.ownerPID = 1, .number = 3, .layer = 0, .alpha = std::nullopt, .bounds = bounds},
        {.ownerPID = 1, .number = 4, .layer = 0, .alpha = 1.0, .bounds = std::nullopt},
        {.ownerPID = 1, .number = 5, .layer = 0, .alpha = 0.01, .bounds = bounds},
        {.ownerPID = 1, .number = 6, .layer = 0, .alpha = 0.02, .bounds = bounds},
        {.ownerPID = 1, .number = 7, .layer = 0, .alpha = 1.0, .bounds = bounds},
    };
    const auto windows = readWindowList(server, {7});
    ASSERT_TRUE(windows.has_value());
    EXPECT_EQ(*windows, (std::vector<OrderedWindow>{{1, bounds}, {6, bounds}}));
}

}  // namespace
}  // namespace orvale
