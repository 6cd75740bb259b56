#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/ManualMainThread.h"
#include "overlay/MarkerOverlayService.h"
#include "overlay/RecordingSurfaces.h"
#include "overlay/RestoredWindowFlashService.h"

namespace orvale {
namespace {

using std::chrono::milliseconds;

NumberedCandidate candidate(int number, const RectD& frame) {
    WindowReference reference;
    reference.frame = frame;
    return {number, std::make_shared<const WindowReference>(std::move(reference))};
}

struct OverlayFixture : ::testing::Test {
    VirtualClock clock;
    ManualMainThread mainThread{clock};
    testing::RecordingSurfaces surfaces;
    testing::ScriptedWindowList windows;
    OverlayRegistry registry;
};

using MarkerTest = OverlayFixture;

TEST_F(MarkerTest, MarksEveryCandidateLargerThanTenPointsInsideItsFrame) {
    MarkerOverlayService markers(surfaces, mainThread, registry);
    markers.show({candidate(1, {0, 0, 10, 200}), candidate(2, {100, 50, 11, 11}),
                  candidate(3, {0, 0, std::numeric_limits<double>::quiet_NaN(), 50}),
                  candidate(4, {300, 40, 500, 400})});

    const auto shown = surfaces.live();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0]->badge, 2);
    EXPECT_EQ(shown[0]->frame, (RectD{102, 52, 7, 7}));
    EXPECT_EQ(shown[1]->badge, 4);
    EXPECT_EQ(shown[1]->frame, (RectD{302, 42, 496, 396}));
    EXPECT_EQ(registry.numbers(), (std::set<std::uint32_t>{shown[0]->number, shown[1]->number}));
}

TEST_F(MarkerTest, ASecondSetReplacesTheFirstAndHidesFourSecondsAfterItself) {
    MarkerOverlayService markers(surfaces, mainThread, registry);
    markers.show({candidate(1, {0, 0, 100, 100})});
    mainThread.advance(milliseconds(3000));
    markers.show({candidate(1, {200, 0, 100, 100}), candidate(2, {400, 0, 100, 100})});
    EXPECT_TRUE(surfaces.panels[0]->destroyed);
    EXPECT_EQ(surfaces.live().size(), 2u);

    // The first set's hide would have come now; the second set stays.
    mainThread.advance(milliseconds(1500));
    EXPECT_EQ(surfaces.live().size(), 2u);
    mainThread.advance(milliseconds(2500));
    EXPECT_TRUE(surfaces.live().empty());
    EXPECT_TRUE(registry.numbers().empty());
}

TEST_F(MarkerTest, ClearTakesThemDownAtOnce) {
    MarkerOverlayService markers(surfaces, mainThread, registry);
    markers.show({candidate(1, {0, 0, 100, 100})});
    markers.clear();
    EXPECT_TRUE(surfaces.live().empty());
    EXPECT_TRUE(registry.numbers().empty());
    // Showing again after a clear starts a full period.
    markers.show({candidate(1, {0, 0, 100, 100})});
    mainThread.advance(milliseconds(3999));
    EXPECT_EQ(surfaces.live().size(), 1u);
}

struct FlashTest : OverlayFixture {
    RestoredWindowFlashService flashes{surfaces, mainThread, windows, registry};
    const RectD frame{100, 100, 400, 300};
};

TEST_F(FlashTest, SkipsFramesItCannotOutline) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    flashes.flash({{1, {0, 0, 19, 300}},
                   {2, {0, 0, 300, 19.5}},
                   {3, {nan, 0, 300, 300}},
                   {6, {10, 10, 20, 20}}},
                  HighlightColor::pink);
    const auto shown = surfaces.live();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0]->frame, (RectD{10, 10, 20, 20}));
    EXPECT_EQ(shown[0]->accent, rgb(HighlightColor::pink));

    // Nothing worth a rim: no panel, no window-list reads, nothing pending.
    flashes.flash({{1, {0, 0, 5, 5}}}, HighlightColor::pink);
    const int reads = windows.reads;
    mainThread.advance(milliseconds(500));
    EXPECT_EQ(windows.reads, reads);
    EXPECT_TRUE(surfaces.live().empty());
}

TEST_F(FlashTest, FadesInHoldsFadesOutAndGoes) {
    windows.set({{1, frame}});
    flashes.flash({{1, frame}}, HighlightColor::blue);
    auto panel = surfaces.live().at(0);
    EXPECT_EQ(panel->opacity, 0.0);
    EXPECT_EQ(panel->fadingTo, 1.0);
    EXPECT_EQ(registry.numbers(), std::set<std::uint32_t>{panel->number});
    surfaces.finishFades();

    mainThread.advance(milliseconds(1189));
    EXPECT_FALSE(panel->fadingTo.has_value());
    mainThread.advance(milliseconds(1));
    EXPECT_EQ(panel->fadingTo, 0.0);
    // Tracking stops with the fade-out.
    const int reads = windows.reads;
    mainThread.advance(milliseconds(200));
    EXPECT_EQ(windows.reads, reads);
    EXPECT_FALSE(panel->destroyed);

    surfaces.finishFades();
    mainThread.runReady();
    EXPECT_TRUE(panel->destroyed);
    EXPECT_TRUE(registry.numbers().empty());
}

TEST_F(FlashTest, WithLessMotionAppearsAtOnceAndGoesAfterTheStillHold) {
    surfaces.reduceMotion = true;
    windows.set({{1, frame}});
    flashes.flash({{1, frame}}, HighlightColor::blue);
    auto panel = surfaces.live().at(0);
    EXPECT_EQ(panel->opacity, 1.0);
    EXPECT_FALSE(panel->fadingTo.has_value());
    mainThread.advance(milliseconds(1399));
    EXPECT_FALSE(panel->destroyed);
    mainThread.advance(milliseconds(1));
    EXPECT_TRUE(panel->destroyed);
}

TEST_F(FlashTest, FollowsItsWindowAndCutsTheRimToWhatIsUncovered) {
    windows.set({{1, frame}, {2, {900, 900, 10, 10}}});
    flashes.flash({{1, frame}, {2, {900, 900, 10, 10}}, {0, {600, 100, 100, 100}}},
                  HighlightColor::green);
    const auto shown = surfaces.live();
    ASSERT_EQ(shown.size(), 2u);  // the 10 × 10 window gets none
    auto followed = shown[0];
    auto unfollowed = shown[1];
    EXPECT_EQ(followed->rects, (std::vector<RectD>{{-0.5, -0.5, 401, 301}}));
    const int rectsSet = followed->rectsSet;

    // A still desktop costs nothing but the read; a half-point wobble moves
    // nothing either.
    const int raised = followed->raised;
    mainThread.advance(milliseconds(33));
    EXPECT_EQ(followed->raised, raised);
    windows.set({{1, {100.4, 100, 400, 300}}});
    mainThread.advance(milliseconds(33));
    EXPECT_EQ(followed->framesSet, 0);
    EXPECT_EQ(followed->rectsSet, rectsSet);

    // Moved, and another window comes in front of its right half.
    windows.set({{7, {400, 0, 800, 800}}, {1, {200, 150, 400, 300}}});
    mainThread.advance(milliseconds(33));
    EXPECT_EQ(followed->frame, (RectD{200, 150, 400, 300}));
    EXPECT_EQ(followed->rects, (std::vector<RectD>{{-0.5, -0.5, 201, 301}}));
    EXPECT_GT(followed->raised, raised);
    // A target without a window number stays where it was put.
    EXPECT_EQ(unfollowed->frame, (RectD{600, 100, 100, 100}));

    // An unreadable list, or the window gone from it, leaves the rim alone.
    windows.windows.reset();
    mainThread.advance(milliseconds(33));
    windows.set({});
    mainThread.advance(milliseconds(33));
    EXPECT_EQ(followed->frame, (RectD{200, 150, 400, 300}));
    EXPECT_FALSE(followed->destroyed);
}

TEST_F(FlashTest, ANewFlashReplacesTheRimsAndTheirTimeline) {
    windows.set({{1, frame}, {2, frame}});
    flashes.flash({{1, frame}}, HighlightColor::blue);
    auto first = surfaces.live().at(0);
    mainThread.advance(milliseconds(1000));
    flashes.flash({{2, frame}}, HighlightColor::red);
    EXPECT_TRUE(first->destroyed);
    auto second = surfaces.live().at(0);
    EXPECT_EQ(registry.numbers(), std::set<std::uint32_t>{second->number});

    // The first flash's fade-out time passes without touching the second.
    surfaces.finishFades();
    mainThread.advance(milliseconds(500));
    EXPECT_FALSE(second->fadingTo.has_value());
    mainThread.advance(milliseconds(690));
    EXPECT_EQ(second->fadingTo, 0.0);
}

}  // namespace
}  // namespace orvale
