#include <gtest/gtest.h>

#include "RestoreScenario.h"

namespace orvale {
namespace {

using testing_support::RestoreScenario;
using O = EntryOutcome;

// Windows A, B and C start on the laptop panel and are restored to the studio
// display, so each test starts with a journal of three windows.
class RestoreUndoTest : public RestoreScenario {
  protected:
    void SetUp() override {
        for (std::size_t i = 0; i < 3; ++i) {
            const std::string app(1, static_cast<char>('A' + i));
            windows.push_back(open(launch(app), starts[i]));
            save(app, "Studio", {1612.0 + 100 * i, 100, 1000, 800});
        }
        operationID = Uuid::generate();
        RestoreOptions options;
        options.operationID = operationID;
        options.layoutID = layout.id;
        const auto result = restore(options);
        ASSERT_EQ(result.summary, "3 restored");
    }

    std::optional<RestoreResult> undo(const CancellationFlag* cancellation = nullptr,
                                      const RestoreService::ProgressCallback& progress = {}) {
        return service.undo(displays(), exclusions, cancellation, progress);
    }

    // Undo results are about windows: their ids are the journaled references'.
    Uuid windowID(std::size_t i) const {
        const auto snapshot = service.undoSnapshot();
        for (const auto& record : snapshot->entries) {
            if (record.reference.element == windows[i]) return record.reference.id;
        }
        return {};
    }

    const std::vector<RectD> starts{
        {100, 125, 400, 300}, {200, 225, 400, 300}, {300, 325, 400, 300}};
    std::vector<AXElement> windows;
    Uuid operationID;
};

TEST_F(RestoreUndoTest, ADiscardedJournalLeavesNothingToUndo) {
    service.discardUndo();
    EXPECT_FALSE(service.undoSnapshot());
    desktop.clearActions();
    EXPECT_FALSE(undo());
    EXPECT_EQ(desktop.count(SimulatedAction::Kind::write), 0u);
}

TEST_F(RestoreUndoTest, ChangedVisibleFrameScalesTheWindowToFit) {
    const Uuid a = windowID(0), b = windowID(1), c = windowID(2);
    // A dock on the right halves the laptop panel's visible width.
    desktop.arrangeDisplay(display("Built-in Display").cgDisplayID, kLaptop, {0, 25, 756, 957});
    const auto result = undo();
    ASSERT_TRUE(result);
    const std::string detail = "Adjusted to fit this display.";
    expectEntries(*result,
                  {{a, O::restored, detail}, {b, O::restored, detail}, {c, O::restored, detail}});
    EXPECT_EQ(frameOf(windows[0]), (RectD{50, 125, 200, 300}));
    EXPECT_EQ(frameOf(windows[1]), (RectD{100, 225, 200, 300}));
    EXPECT_EQ(result->summary, "3 restored");
    EXPECT_EQ(result->layoutName, "Desk");
    EXPECT_EQ(result->operationID, operationID);
    EXPECT_EQ(result->layoutID, layout.id);
    EXPECT_TRUE(result->ambiguous.empty());
}

TEST_F(RestoreUndoTest, CancellingKeepsTheWindowsNotYetBack) {
    const Uuid a = windowID(0), b = windowID(1), c = windowID(2);
    CancellationFlag flag;
    auto result = undo(&flag, [&](const RestoreProgress& p) {
        if (p.completed == 1) flag.cancel();
    });
    ASSERT_TRUE(result);
    expectEntries(*result,
                  {{a, O::restored, ""},
                   {b, O::cancelled, "Undo cancelled before reaching the previous position."},
                   {c, O::cancelled, "Cancelled before this window was restored"}});
    EXPECT_EQ(result->summary, "Cancelled · 1 restored · 2 cancelled");
    EXPECT_TRUE(result->wasCancelled);
    const auto partial = service.undoSnapshot();
    ASSERT_TRUE(partial);
    ASSERT_EQ(partial->entries.size(), 2u);
    EXPECT_TRUE(partial->entries[0].pendingFailure && partial->entries[1].pendingFailure);

    result = undo();
    ASSERT_TRUE(result);
    expectEntries(*result, {{b, O::restored, ""}, {c, O::restored, ""}});
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(frameOf(windows[i]), starts[i]);
}

TEST_F(RestoreUndoTest, ClosedExcludedAndAlreadyReturnedWindows) {
    const Uuid a = windowID(0), b = windowID(1), c = windowID(2);
    desktop.closeWindow(windows[0]);
    exclusions = {bundleOf("B")};
    // The user put C back by hand.
    auto moved = desktop.window(windows[2]);
    moved.frame = starts[2];
    desktop.updateWindow(windows[2], moved);

    const auto result = undo();
    ASSERT_TRUE(result);
    expectEntries(*result, {{a, O::notOpen, "The window is no longer open"},
                            {b, O::excluded, "Excluded app"},
                            {c, O::restored, "Already in place"}});
    EXPECT_EQ(result->summary, "1 restored · 1 not open · 1 excluded");
    EXPECT_EQ(result->movedWindowCount, 0);
    EXPECT_FALSE(service.undoSnapshot());
}

TEST_F(RestoreUndoTest, TheWindowManagerMissingOrLostPartWayKeepsTheRestForAnotherTry) {
    const Uuid a = windowID(0), b = windowID(1), c = windowID(2);
    const auto before = service.undoSnapshot();
    desktop.setTrusted(false);
    auto result = undo();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->kind, ResultKind::undo);
    const std::string missing = "No supported window manager is running";
    EXPECT_EQ(result->summary, missing);
    EXPECT_EQ(result->failedCount, 3);
    for (const auto& entry : result->entries) EXPECT_EQ(entry.detail, missing);
    EXPECT_EQ(service.undoSnapshot(), before);

    // It stops while the second window is being written.
    desktop.setTrusted(true);
    desktop.revokePermissionAfterWrites(3);
    result = undo();
    ASSERT_TRUE(result);
    const std::string stopped = "The window manager stopped running";
    expectEntries(*result,
                  {{a, O::restored, ""}, {b, O::failed, stopped}, {c, O::failed, stopped}});
    EXPECT_TRUE(result->permissionLost);
    EXPECT_EQ(result->summary, stopped);

    const auto partial = service.undoSnapshot();
    ASSERT_TRUE(partial);
    ASSERT_EQ(partial->entries.size(), 2u);
    EXPECT_EQ(partial->entries[0].reference.element, windows[1]);
    EXPECT_TRUE(partial->hasPendingFailures);
    EXPECT_EQ(partial->operationID, operationID);

    desktop.setTrusted(true);
    ASSERT_EQ(undo()->summary, "2 restored");
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(frameOf(windows[i]), starts[i]);
    EXPECT_FALSE(service.undoSnapshot());
}

TEST_F(RestoreUndoTest, FollowUpRunIsUndoneTogetherWithItsFirstRun) {
    // The follow-up of the same operation moves A again (the user had dragged
    // it meanwhile) and a newly chosen window D.
    const auto d = open(launch("D"), {400, 425, 400, 300});
    auto dragged = desktop.window(windows[0]);
    dragged.frame = {700, 500, 400, 300};
    desktop.updateWindow(windows[0], dragged);
    RestoreOptions followUp;
    followUp.operationID = operationID;
    followUp.mergeUndo = true;
    save("D", "Side", {4072, 0, 800, 600});
    ASSERT_EQ(restore(followUp).summary, "4 restored");

    const auto merged = service.undoSnapshot();
    ASSERT_TRUE(merged);
    ASSERT_EQ(merged->entries.size(), 4u);
    EXPECT_EQ(merged->entries[0].previousFrame, starts[0]);
    EXPECT_EQ(merged->entries[3].reference.element, d);

    const auto result = undo();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->summary, "4 restored");
    EXPECT_EQ(frameOf(windows[0]), starts[0]);
    EXPECT_EQ(frameOf(d), (RectD{400, 425, 400, 300}));

    // Without merging, a later run's journal replaces the earlier one, and a
    // run that moves nothing leaves it alone.
    ASSERT_EQ(restore().summary, "4 restored");
    dragged.frame = {10, 600, 400, 300};
    desktop.updateWindow(windows[0], dragged);
    ASSERT_EQ(restore().summary, "4 restored");
    ASSERT_EQ(restore().movedWindowCount, 0);
    const auto replaced = service.undoSnapshot();
    ASSERT_TRUE(replaced);
    ASSERT_EQ(replaced->entries.size(), 1u);
    EXPECT_EQ(replaced->entries[0].previousFrame, dragged.frame);
    EXPECT_FALSE(replaced->operationID);
}

}  // namespace
}  // namespace orvale
