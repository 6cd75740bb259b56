#include "platform/DisplayService.h"

#include <gtest/gtest.h>

#include "platform/sim/SimulatedDesktop.h"

namespace orvale {
namespace {

class DisplayServiceTest : public ::testing::Test {
  protected:
    std::uint32_t plug(DisplayIdentity identity, RectD frame, bool primary = false,
                       double scale = 1, bool numbered = true) {
        return desktop.plugDisplay(
            {.identity = identity,
             .name = identity.key(),
             .frame = frame,
             .visibleFrame = {frame.x, frame.y + 25, frame.width, frame.height - 25},
             .scale = scale,
             .isPrimary = primary,
             .hasDisplayNumber = numbered});
    }

    VirtualClock clock;
    SimulatedDesktop desktop{clock};
    DisplayService service{desktop};
};

// The platform measures screens upwards from the primary display's bottom
// edge; the service gives top-left frames in display order.
TEST_F(DisplayServiceTest, GivesTopLeftFramesInDisplayOrder) {
    EXPECT_TRUE(service.currentDisplays().empty());
    // The primary display is not the first the platform lists.
    plug({2, 2, 2, 0}, {200, -1080, 1920, 1080});
    plug({10, 1, 1, 0}, {0, 0, 1440, 900}, true, 2);
    plug({9, 1, 1, 0}, {0, 0, 1440, 900});  // mirrored: same origin
    plug({5, 5, 5, 0}, {-800, 0, 800, 600}, false, 1, false);

    const auto displays = service.currentDisplays();
    std::vector<std::string> keys;
    for (const CurrentDisplay& display : displays) keys.push_back(display.id());
    // A screen without a display number is left out.
    ASSERT_EQ(keys, (std::vector<std::string>{"10-1-1", "9-1-1", "2-2-2"}));
    EXPECT_EQ(displays[0].frame, (RectD{0, 0, 1440, 900}));
    EXPECT_EQ(displays[0].visibleFrame, (RectD{0, 25, 1440, 875}));
    EXPECT_EQ(displays[0].pixelWidth, 2880);
    EXPECT_EQ(displays[0].scale, 2);
    EXPECT_TRUE(displays[0].isPrimary);
    EXPECT_FALSE(displays[1].isPrimary);
    EXPECT_EQ(displays[2].frame, (RectD{200, -1080, 1920, 1080}));
    EXPECT_EQ(displays[2].visibleFrame, (RectD{200, -1055, 1920, 1055}));
    EXPECT_EQ(displays[2].name, "2-2-2");
}

}  // namespace
}  // namespace orvale
