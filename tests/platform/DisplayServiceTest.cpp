#include "platform/DisplayService.h"

#include <gtest/gtest.h>

#include "platform/sim/SimulatedDesktop.h"

namespace orvale {
namespace {

class DisplayServiceTest : public ::testing::Test {
  protected:
    std::uint32_t plug(DisplayIdentity identity, RectD frame, bool primary = false,
                       double scale = 1) {
        return desktop.plugDisplay(
            {.identity = identity,
             .name = identity.key(),
             .frame = frame,
             .visibleFrame = {frame.x, frame.y + 25, frame.width, frame.height - 25},
             .scale = scale,
             .isPrimary = primary});
    }

    std::vector<std::string> keys(const std::vector<CurrentDisplay>& displays) {
        std::vector<std::string> result;
        for (const CurrentDisplay& display : displays) result.push_back(display.id());
        return result;
    }

    VirtualClock clock;
    SimulatedDesktop desktop{clock};
    DisplayService service{desktop};
};

TEST_F(DisplayServiceTest, TurnsBottomLeftScreensIntoTopLeftFrames) {
    plug({1, 1, 1, 0}, {0, 0, 1440, 900}, true, 2);
    plug({2, 2, 2, 0}, {200, -1080, 1920, 1080});

    // The platform reports the display above the primary one at y = 900 in its
    // upward space.
    const ScreenList list = desktop.screens();
    ASSERT_EQ(list.screens.size(), 2u);
    EXPECT_EQ(list.mainDisplayHeight, 900);
    EXPECT_EQ(list.screens[1].frame, (RectD{200, 900, 1920, 1080}));
    EXPECT_EQ(list.screens[0].visibleFrame, (RectD{0, 0, 1440, 875}));

    const auto displays = service.currentDisplays();
    ASSERT_EQ(displays.size(), 2u);
    // Equal x would tie; here x orders them, and the upper display has y < 0.
    EXPECT_EQ(displays[0].id(), "1-1-1");
    EXPECT_EQ(displays[0].frame, (RectD{0, 0, 1440, 900}));
    EXPECT_EQ(displays[0].visibleFrame, (RectD{0, 25, 1440, 875}));
    EXPECT_EQ(displays[0].pixelWidth, 2880);
    EXPECT_EQ(displays[0].scale, 2);
    EXPECT_TRUE(displays[0].isPrimary);
    EXPECT_EQ(displays[1].frame, (RectD{200, -1080, 1920, 1080}));
    EXPECT_EQ(displays[1].visibleFrame, (RectD{200, -1055, 1920, 1055}));
    EXPECT_FALSE(displays[1].isPrimary);
    EXPECT_EQ(displays[1].name, "2-2-2");
}

TEST_F(DisplayServiceTest, OrdersByXThenYThenKeyAsText) {
    plug({9, 1, 1, 0}, {0, 0, 1000, 800}, true);
    plug({10, 1, 1, 0}, {0, 0, 1000, 800});  // mirrored: same origin
    plug({3, 3, 3, 0}, {0, -600, 800, 600});
    plug({4, 4, 4, 0}, {-800, 100, 800, 600});
    EXPECT_EQ(keys(service.currentDisplays()),
              (std::vector<std::string>{"4-4-4", "3-3-3", "10-1-1", "9-1-1"}));
}

TEST_F(DisplayServiceTest, LeavesOutScreensWithoutANumber) {
    plug({1, 1, 1, 0}, {0, 0, 1440, 900}, true);
    desktop.plugDisplay({.identity = {5, 5, 5, 0},
                         .frame = {1440, 0, 800, 600},
                         .visibleFrame = {1440, 0, 800, 600},
                         .hasDisplayNumber = false});
    EXPECT_EQ(keys(service.currentDisplays()), (std::vector<std::string>{"1-1-1"}));
}

TEST_F(DisplayServiceTest, NoScreensGiveAnEmptyListAndSignature) {
    EXPECT_TRUE(service.currentDisplays().empty());
    EXPECT_EQ(Topology::signature(service.currentDisplays()), "");
}

TEST_F(DisplayServiceTest, SignatureAgreesWithSnapshotsAndFollowsThePrimary) {
    const auto builtIn = plug({1000, 2000, 1, 0}, {0, 0, 1512, 982}, true, 2);
    const auto external = plug({1000, 3000, 0, 2}, {1512, 100, 1920, 1080});

    const auto displays = service.currentDisplays();
    const std::string signature = Topology::signature(displays);
    EXPECT_EQ(signature,
              "1000-2000-1@0,0,15120x9820/3024x1964@20P|"
              "1000-3000-2@15120,1000,19200x10800/1920x1080@10S");
    EXPECT_EQ(signature, Topology::signature(snapshots(displays)));
    EXPECT_EQ(Topology::signature(service.currentDisplays()), signature);

    // The external display becomes the primary one, with its top-left corner
    // at the origin.
    desktop.makePrimary(external);
    desktop.arrangeDisplay(external, {0, 0, 1920, 1080}, {0, 25, 1920, 1055});
    desktop.arrangeDisplay(builtIn, {-1512, -100, 1512, 982}, {-1512, -75, 1512, 957});
    const std::string swapped = Topology::signature(service.currentDisplays());
    EXPECT_EQ(swapped,
              "1000-2000-1@-15120,-1000,15120x9820/3024x1964@20S|"
              "1000-3000-2@0,0,19200x10800/1920x1080@10P");

    const auto converted = snapshots(service.currentDisplays());
    for (const DisplaySnapshot& snapshot : converted) EXPECT_FALSE(snapshot.frameInferred);
}

}  // namespace
}  // namespace orvale
