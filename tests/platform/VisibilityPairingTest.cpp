#include "platform/VisibilityPairing.h"

#include <gtest/gtest.h>

#include "platform/OnScreenWindow.h"
#include "platform/sim/SimulatedDesktop.h"

namespace orvale {
namespace {

const AXElement kA{7, 1};
const AXElement kB{7, 2};
const AXElement kC{7, 3};
const RectD kFrame{100, 100, 500, 400};

OnScreenWindow shown(std::uint32_t id, RectD frame) {
    return {7, id, frame};
}

VisibilityScan pair(const std::vector<std::pair<AXElement, RectD>>& frames,
                    const std::vector<OnScreenWindow>& visible) {
    const auto scan = visibilityEvidence(frames, visible, [] { return false; });
    EXPECT_TRUE(scan);
    return scan.value_or(VisibilityScan{});
}

TEST(VisibilityPairingTest, CandidatesLieWithinEightPointsInEveryValue) {
    const VisibilityScan scan =
        pair({{kA, kFrame}, {kB, {900, 100, 500, 400}}},
             {shown(11, {108, 92, 492, 408}), shown(12, {900, 100, 508.5, 400})});
    EXPECT_EQ(scan.evidence.size(), 1u);
    EXPECT_EQ(scan.evidence.at(kA).windowID, 11u);
    // B matches nothing: it is simply not on this desktop.
    EXPECT_FALSE(scan.incomplete);
}

TEST(VisibilityPairingTest, AnAugmentingPathPairsAWholeGroup) {
    // A could take either window; B only the first. A greedy pairing that
    // gave A the first window would leave B without one.
    const VisibilityScan scan =
        pair({{kA, kFrame}, {kB, {96, 96, 500, 400}}},
             {shown(11, {98, 98, 500, 400}), shown(12, {104, 104, 500, 400})});
    EXPECT_FALSE(scan.incomplete);
    EXPECT_EQ(scan.evidence.size(), 2u);
    // Paired in a group of two: which window is which is not known.
    EXPECT_EQ(scan.evidence.at(kA).windowID, std::nullopt);
    EXPECT_EQ(scan.evidence.at(kB).windowID, std::nullopt);
}

TEST(VisibilityPairingTest, AGroupWithoutAOneToOnePairingIsAmbiguous) {
    VisibilityScan scan = pair({{kA, kFrame}}, {shown(11, kFrame), shown(12, kFrame)});
    EXPECT_TRUE(scan.evidence.empty());
    EXPECT_TRUE(scan.incomplete);

    // A and B reach only window 11; C reaches 11, 12 and 13. Three windows
    // reach three, yet A and B cannot both be paired.
    scan = pair({{kA, kFrame}, {kB, kFrame}, {kC, {106, 100, 500, 400}}},
                {shown(11, {102, 100, 500, 400}), shown(12, {114, 100, 500, 400}),
                 shown(13, {113, 100, 500, 400})});
    EXPECT_TRUE(scan.incomplete);
    EXPECT_TRUE(scan.evidence.empty());
}

TEST(VisibilityPairingTest, StoppingFailsThePairing) {
    int asked = 0;
    EXPECT_FALSE(
        visibilityEvidence({{kA, kFrame}}, {shown(11, kFrame)}, [&] { return ++asked > 1; }));
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(visibilityEvidence({{kA, kFrame}}, {shown(11, kFrame)}, [] { return true; }));
    // Nothing to pair: nothing to stop.
    EXPECT_TRUE(visibilityEvidence({}, {shown(11, kFrame)}, [] { return true; }));
}

class OnScreenListTest : public ::testing::Test {
  protected:
    void add(std::optional<std::int32_t> pid, std::optional<std::uint32_t> number,
             std::optional<std::int32_t> layer, std::optional<double> alpha,
             std::optional<RectD> bounds) {
        desktop.addOnScreenEntry({pid, number, layer, alpha, bounds});
    }

    VirtualClock clock;
    SimulatedDesktop desktop{clock};
};

// What stands for an application's window in the pairing.
TEST_F(OnScreenListTest, KeepsOrdinaryWindowsOfOtherProcesses) {
    add(5, 1, 0, 1.0, RectD{0, 0, 50, 40});     // smallest that counts
    add(5, 2, 0, 1.0, RectD{0, 0, 49.9, 40});   // too narrow
    add(5, 3, 0, 1.0, RectD{0, 0, 50, 39.9});   // too low
    add(5, 4, 0, 0.01, RectD{0, 0, 500, 400});  // transparent
    add(5, 5, 25, 1.0, RectD{0, 0, 500, 400});  // a panel above windows
    add(1, 6, 0, 1.0, RectD{0, 0, 500, 400});   // this program's own
    add(std::nullopt, 7, 0, 1.0, RectD{0, 0, 500, 400});
    add(5, std::nullopt, 0, 1.0, RectD{0, 0, 500, 400});
    add(5, 9, std::nullopt, 1.0, RectD{0, 0, 500, 400});
    add(5, 10, 0, std::nullopt, RectD{0, 0, 500, 400});
    add(5, 11, 0, 1.0, std::nullopt);
    add(5, 12, 0, 0.02, RectD{10, 20, 500, 400});
    add(5, 13, 0, 1.0, RectD{0, 0, 1, 400});  // a sliver
    EXPECT_EQ(activeDesktopWindows(desktop, 1),
              (std::vector<OnScreenWindow>{{5, 1, {0, 0, 50, 40}}, {5, 12, {10, 20, 500, 400}}}));

    desktop.setWindowListAvailable(false);
    EXPECT_TRUE(activeDesktopWindows(desktop, 1).empty());
}

}  // namespace
}  // namespace orvale
