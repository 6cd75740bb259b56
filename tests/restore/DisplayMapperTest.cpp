#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "restore/DisplayMapper.h"

namespace orvale {
namespace {

using DisplayMapper::map;
using DisplayMapper::missingDisplays;

DisplaySnapshot saved(std::uint32_t serial, RectD frame, std::int64_t pw, std::int64_t ph,
                      bool primary = false, double scale = 1) {
    RectD visible = frame;
    visible.height -= 40;
    return {{10, 20, serial, 0}, frame, visible, pw, ph, scale, primary, false};
}

CurrentDisplay connected(std::uint32_t serial, RectD frame, std::int64_t pw, std::int64_t ph,
                         bool primary = false, double scale = 1) {
    CurrentDisplay d;
    d.identity = {10, 20, serial, 0};
    d.name = "Display " + std::to_string(serial);
    d.frame = frame;
    d.visibleFrame = frame;
    d.pixelWidth = pw;
    d.pixelHeight = ph;
    d.scale = scale;
    d.isPrimary = primary;
    return d;
}

std::string key(std::uint32_t serial) {
    return DisplayIdentity{10, 20, serial, 0}.key();
}

// Three side by side: a primary laptop panel and two externals to its right.
struct ThreeDisplays : testing::Test {
    std::vector<DisplaySnapshot> layout{
        saved(1, {0, 0, 1512, 982}, 3024, 1964, true, 2),
        saved(2, {1512, 0, 2560, 1440}, 2560, 1440),
        saved(3, {4072, 0, 2560, 1440}, 2560, 1440),
    };
    std::vector<CurrentDisplay> same{
        connected(1, {0, 0, 1512, 982}, 3024, 1964, true, 2),
        connected(2, {1512, 0, 2560, 1440}, 2560, 1440),
        connected(3, {4072, 0, 2560, 1440}, 2560, 1440),
    };
};

TEST_F(ThreeDisplays, AlikeReplacementsKeepLeftOnLeft) {
    // Both externals replaced by alike displays, listed right one first.
    std::vector<CurrentDisplay> now{
        same[0],
        connected(8, {4072, 0, 2560, 1440}, 2560, 1440),
        connected(7, {1512, 0, 2560, 1440}, 2560, 1440),
    };
    const auto m = map(layout, now, {}, true);
    EXPECT_TRUE(m.usedTopologyFallback);
    EXPECT_EQ(m.assignments.at(key(2)).id(), key(7));
    EXPECT_EQ(m.assignments.at(key(3)).id(), key(8));
}

TEST_F(ThreeDisplays, ReplacementMovedAgainstTheAnchorIsNotMapped) {
    auto now = same;
    // Beyond the 8-point tolerance from where the anchor says it should be.
    now[2] = connected(9, {4081, 0, 2560, 1440}, 2560, 1440);
    EXPECT_FALSE(map(layout, now, {}, true).assignments.contains(key(3)));
    now[2].frame.x = 4080;
    EXPECT_TRUE(map(layout, now, {}, true).assignments.contains(key(3)));
}

TEST_F(ThreeDisplays, UserFallbackComesBeforeArrangementAndMayBeShared) {
    std::vector<CurrentDisplay> now{same[0], connected(9, {1512, 0, 1920, 1080}, 1920, 1080)};
    const auto m = map(layout, now, {{key(2), key(9)}, {key(3), key(9)}}, true);
    EXPECT_EQ(m.assignments.at(key(2)), now[1]);
    EXPECT_EQ(m.assignments.at(key(3)), now[1]);
    EXPECT_FALSE(m.usedTopologyFallback);
}

TEST_F(ThreeDisplays, FallbackToADisconnectedDisplayLeavesItToArrangement) {
    auto now = same;
    now[2] = connected(9, {4072, 0, 2560, 1440}, 2560, 1440);
    const auto m = map(layout, now, {{key(3), key(42)}}, true);
    EXPECT_EQ(m.assignments.at(key(3)), now[2]);
    EXPECT_TRUE(m.usedTopologyFallback);
}

TEST_F(ThreeDisplays, DifferentCountsLeaveEveryUnmappedDisplayMissing) {
    const std::vector<CurrentDisplay> now{same[0], connected(9, {1512, 0, 2560, 1440}, 2560, 1440)};
    const auto m = map(layout, now, {}, true);
    EXPECT_EQ(m.assignments.size(), 1u);
    // Numbered among all saved displays, so the second is display 2 though
    // display 1 is mapped.
    EXPECT_EQ(missingDisplays(layout, m),
              (std::vector<MissingDisplay>{{key(2), "Display 2 · 2560 × 1440"},
                                           {key(3), "Display 3 · 2560 × 1440"}}));
}

TEST(DisplayMapperTest, MissingDisplaysAreNumberedInDisplayOrder) {
    // Stored right to left; numbered left to right.
    const std::vector layout{saved(2, {1920, 0, 1920, 1080}, 1920, 1080),
                             saved(1, {0, 0, 1920, 1080}, 3840, 2160, true)};
    EXPECT_EQ(missingDisplays(layout, {}),
              (std::vector<MissingDisplay>{{key(1), "Display 1 · 3840 × 2160"},
                                           {key(2), "Display 2 · 1920 × 1080"}}));
}

TEST(DisplayMapperTest, CoincidingOriginsAreNeverPairedByArrangement) {
    const std::vector layout{saved(1, {0.4, 0, 1920, 1080}, 1920, 1080),
                             saved(2, {0, 0.2, 1920, 1080}, 1920, 1080)};
    const std::vector now{connected(8, {0, 0, 1920, 1080}, 1920, 1080),
                          connected(9, {0, 0, 1920, 1080}, 1920, 1080)};
    EXPECT_TRUE(map(layout, now, {}, true).assignments.empty());
}

TEST(DisplayMapperTest, ArrangementPairsOnlyDisplaysAlikeInPixelsScaleAndRole) {
    struct Case {
        const char* what;
        double x;
        std::int64_t savedWidth, savedHeight;
        bool savedPrimary;
        std::int64_t width;
        double scale;
        bool pairs;
    };
    constexpr auto big = std::numeric_limits<std::int64_t>::max();
    const std::vector<Case> cases{
        {"alike", 0, 1920, 1080, false, 1920, 2, true},
        {"pixels within 5%", 0, 1920, 1080, false, 1824, 2, true},
        {"pixels beyond 5%", 0, 1920, 1080, false, 2020, 2, false},
        {"small, within 8", 0, 100, 1080, false, 108, 2, true},
        {"small, beyond 8", 0, 100, 1080, false, 109, 2, false},
        {"no pixels", 0, 0, 1080, false, 0, 2, false},
        {"another height", 0, 1920, 1200, false, 1920, 2, false},
        {"scale within a hundredth", 0, 1920, 1080, false, 1920, 2.01, true},
        {"another scale", 0, 1920, 1080, false, 1920, 1.98, false},
        {"primary against secondary", 0, 1920, 1080, true, 1920, 2, false},
        {"damaged saved place", std::nan(""), 1920, 1080, false, 1920, 2, false},
        {"damaged saved pixels", 0, big, 1080, false, 1920, 2, false},
        {"damaged connected pixels", 0, 1920, 1080, false, -big - 1, 2, false},
    };
    for (const Case& c : cases) {
        const auto layout =
            saved(1, {c.x, 0, 100, 100}, c.savedWidth, c.savedHeight, c.savedPrimary, 2);
        const auto now = connected(9, {0, 0, 100, 100}, c.width, 1080, false, c.scale);
        EXPECT_EQ(map({layout}, {now}, {}, true).assignments.size(), c.pairs ? 1u : 0u) << c.what;
    }
}

TEST(DisplayMapperTest, ArrangementMustBeKeptAndUnique) {
    const std::vector stacked{saved(1, {0, 0, 1920, 1080}, 1920, 1080),
                              saved(2, {0, 1080, 1920, 1080}, 1920, 1080)};
    const std::vector sideBySide{connected(8, {0, 0, 1920, 1080}, 1920, 1080),
                                 connected(9, {1920, 0, 1920, 1080}, 1920, 1080)};
    EXPECT_TRUE(map(stacked, sideBySide, {}, true).assignments.empty());

    // Origins three points apart are distinct, yet both pairings keep the
    // arrangement within tolerance: the choice would be a guess.
    const std::vector close{saved(1, {0, 0, 1920, 1080}, 1920, 1080),
                            saved(2, {3, 0, 1920, 1080}, 1920, 1080)};
    const std::vector closeNow{connected(8, {0, 0, 1920, 1080}, 1920, 1080),
                               connected(9, {3, 0, 1920, 1080}, 1920, 1080)};
    EXPECT_TRUE(map(close, closeNow, {}, true).assignments.empty());
}

TEST(DisplayMapperTest, SixDisplaysMayUseArrangementSevenNever) {
    for (std::size_t n : {6u, 7u}) {
        std::vector<DisplaySnapshot> layout;
        std::vector<CurrentDisplay> now;
        for (std::uint32_t i = 0; i < n; ++i) {
            const RectD frame{1000.0 * i, 0, 1000, 800};
            layout.push_back(saved(i + 1, frame, 1000, 800, i == 0));
            now.push_back(connected(i + 101, frame, 1000, 800, i == 0));
        }
        EXPECT_EQ(map(layout, now, {}, true).assignments.size(), n == 6 ? 6u : 0u) << n;
    }
}

}  // namespace
}  // namespace orvale
