#include <gtest/gtest.h>

#include "RestoreScenario.h"

namespace orvale {
namespace {

using testing_support::RestoreScenario;
using O = EntryOutcome;

class RestoreServiceTest : public RestoreScenario {};

TEST_F(RestoreServiceTest, FullRestoreAcrossThreeDisplays) {
    struct Placement {
        const char* app;
        const char* display;
        RectD target;
    };
    const std::vector<Placement> plan{
        {"Mail", "Built-in Display", {0, 25, 756, 957}},
        {"Notes", "Built-in Display", {756, 25, 756, 957}},
        {"Editor", "Studio", {1512, 0, 1280, 1440}},
        {"Terminal", "Studio", {2792, 0, 1280, 720}},
        {"Music", "Studio", {2792, 720, 1280, 720}},
        {"Calendar", "Side", {4072, 0, 960, 540}},
        {"Chat", "Side", {5032, 0, 960, 540}},
        {"Photos", "Side", {4072, 540, 960, 540}},
        {"Files", "Side", {5032, 540, 960, 540}},
        {"Preview", "Studio", {1612, 100, 800, 600}},
        {"Maps", "Built-in Display", {100, 125, 600, 400}},
    };
    std::vector<AXElement> windows;
    std::vector<RectD> before;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        // Every window starts stacked in a cascade on the laptop panel.
        const RectD start{40.0 + 20 * i, 60.0 + 20 * i, 500, 400};
        windows.push_back(open(launch(plan[i].app), start));
        before.push_back(start);
        save(plan[i].app, plan[i].display, plan[i].target);
    }
    RestoreOptions options;
    options.layoutID = layout.id;
    options.operationID = Uuid::generate();
    std::vector<RestoreProgress> progress;

    const RestoreResult result =
        restore(options, nullptr, [&](const RestoreProgress& p) { progress.push_back(p); });

    std::vector<testing_support::ExpectedEntry> expected;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        expected.push_back(
            {layout.entries[i].id, O::restored, std::string("Placed on ") + plan[i].display});
        EXPECT_EQ(frameOf(windows[i]), plan[i].target) << plan[i].app;
        EXPECT_EQ(result.entries[i].frame, plan[i].target);
    }
    expectEntries(result, expected);
    EXPECT_EQ(result.summary, "11 restored");
    EXPECT_EQ(result.exactCount, 11);
    EXPECT_EQ(result.movedWindowCount, 11);
    EXPECT_EQ(result.kind, ResultKind::restore);
    EXPECT_EQ(result.layoutID, options.layoutID);
    EXPECT_EQ(result.operationID, options.operationID);
    EXPECT_EQ(result.date, clock.wallTime());
    EXPECT_FALSE(result.wasCancelled || result.permissionLost);

    ASSERT_EQ(progress.size(), plan.size());
    for (std::size_t i = 0; i < progress.size(); ++i) {
        EXPECT_EQ(progress[i], (RestoreProgress{static_cast<int>(i), 11, plan[i].app, "Desk"}));
    }

    const auto snapshot = service.undoSnapshot();
    ASSERT_TRUE(snapshot);
    ASSERT_EQ(snapshot->entries.size(), plan.size());
    EXPECT_EQ(snapshot->operationID, options.operationID);
    EXPECT_EQ(snapshot->entries[0].previousFrame, before[0]);
    EXPECT_EQ(snapshot->entries[0].displayKey, display("Built-in Display").id());

    // Undo puts every window exactly back.
    const auto undone = service.undo(displays(), exclusions);
    ASSERT_TRUE(undone);
    EXPECT_EQ(undone->kind, ResultKind::undo);
    EXPECT_EQ(undone->summary, "11 restored");
    EXPECT_EQ(undone->movedWindowCount, 11);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        EXPECT_EQ(frameOf(windows[i]), before[i]) << plan[i].app;
        EXPECT_EQ(undone->entries[i].outcome, O::restored);
        EXPECT_EQ(undone->entries[i].detail, "");
        EXPECT_EQ(undone->entries[i].label, plan[i].app);
    }
    EXPECT_FALSE(service.undoSnapshot());
    EXPECT_FALSE(service.undo(displays(), exclusions));
}

}  // namespace
}  // namespace orvale
