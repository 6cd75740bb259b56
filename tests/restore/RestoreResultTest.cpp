#include <gtest/gtest.h>

#include "restore/RestoreResult.h"

namespace orvale {
namespace {

std::vector<EntryResult> withOutcomes(std::initializer_list<std::pair<EntryOutcome, int>> counts) {
    std::vector<EntryResult> entries;
    for (const auto& [outcome, n] : counts) {
        for (int i = 0; i < n; ++i) {
            entries.push_back(EntryResult::make({Uuid::generate(), "App", "App", "com.example"},
                                                outcome, "detail"));
        }
    }
    return entries;
}

using O = EntryOutcome;

TEST(RestoreResultTest, SummaryListsNonZeroCountsInFixedOrder) {
    EXPECT_EQ(makeSummary(withOutcomes({{O::adjusted, 1}, {O::restored, 3}}), false, false),
              "3 restored · 1 adjusted");
    EXPECT_EQ(makeSummary(withOutcomes({{O::skipped, 1},
                                        {O::deferred, 2},
                                        {O::cancelled, 3},
                                        {O::excluded, 4},
                                        {O::failed, 5},
                                        {O::needsSelection, 6},
                                        {O::notOpen, 7},
                                        {O::adjusted, 8},
                                        {O::restored, 9}}),
                          false, false),
              "9 restored · 8 adjusted · 7 not open · 6 need selection · 5 failed · 4 excluded · "
              "3 cancelled · 2 deferred · 1 skipped");
    EXPECT_EQ(makeSummary(withOutcomes({{O::needsSelection, 1}}), false, false),
              "1 needs selection");
    EXPECT_EQ(makeSummary(withOutcomes({{O::needsSelection, 2}, {O::notOpen, 1}}), false, false),
              "1 not open · 2 need selection");
}

TEST(RestoreResultTest, SummaryWhenNothingWasFound) {
    EXPECT_EQ(makeSummary(withOutcomes({{O::notOpen, 2}}), false, false),
              "No matching open windows");
    EXPECT_EQ(makeSummary(withOutcomes({{O::notOpen, 1}, {O::excluded, 2}}), false, false),
              "No matching open windows · 2 excluded");
    EXPECT_EQ(makeSummary(withOutcomes({{O::excluded, 2}}), false, false), "2 excluded");
    EXPECT_EQ(makeSummary({}, false, false), "No matching open windows");
}

TEST(RestoreResultTest, CancellationAndPermissionLossInTheSummary) {
    EXPECT_EQ(makeSummary(withOutcomes({{O::restored, 2}, {O::cancelled, 4}}), true, false),
              "Cancelled · 2 restored · 4 cancelled");
    EXPECT_EQ(makeSummary({}, true, false), "Cancelled");
    EXPECT_EQ(makeSummary(withOutcomes({{O::restored, 2}, {O::failed, 1}}), true, true),
              "The window manager stopped running");
}

TEST(RestoreResultTest, MakeResultCountsEntriesButTakesDeferredAsGiven) {
    ResultDraft draft;
    draft.kind = ResultKind::undo;
    draft.layoutName = "Desk";
    draft.entries = withOutcomes({{O::restored, 2},
                                  {O::adjusted, 1},
                                  {O::notOpen, 3},
                                  {O::needsSelection, 1},
                                  {O::failed, 2},
                                  {O::excluded, 1},
                                  {O::cancelled, 4},
                                  {O::deferred, 2},
                                  {O::skipped, 5}});
    draft.movedCount = 3;
    draft.deferredCount = 7;
    draft.deferredReason = "later";
    const auto r = makeResult(draft, {1234.5});
    EXPECT_EQ(r.kind, ResultKind::undo);
    EXPECT_EQ(r.layoutName, "Desk");
    EXPECT_EQ(r.date, Timestamp{1234.5});
    EXPECT_EQ(r.entries, draft.entries);
    EXPECT_EQ(r.movedWindowCount, 3);
    EXPECT_EQ(r.exactCount, 2);
    EXPECT_EQ(r.adjustedCount, 1);
    EXPECT_EQ(r.notOpenCount, 3);
    EXPECT_EQ(r.needsSelectionCount, 1);
    EXPECT_EQ(r.failedCount, 2);
    EXPECT_EQ(r.excludedCount, 1);
    EXPECT_EQ(r.cancelledCount, 4);
    EXPECT_EQ(r.skippedCount, 5);
    EXPECT_EQ(r.deferredCount, 7);
    EXPECT_EQ(r.deferredReason, "later");
    EXPECT_NE(makeResult(draft, {1234.5}).id, r.id);
}

TEST(RestoreResultTest, PermissionFailureFailsEverySubject) {
    const ResultSubject a{Uuid::generate(), "Mail — x", "Mail", "com.example.Mail"};
    const ResultSubject b{Uuid::generate(), "Term", "Term", "com.example.Term"};
    const auto r = permissionFailure("Desk", {a, b}, ResultKind::undo, {5});
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(r.entries[0],
              (EntryResult{a.id, "Mail — x", "Mail", "com.example.Mail", O::failed,
                           "No supported window manager is running", std::nullopt, std::nullopt}));
    EXPECT_EQ(r.entries[1].entryID, b.id);
    EXPECT_EQ(r.kind, ResultKind::undo);
    EXPECT_EQ(r.summary, "No supported window manager is running");
    EXPECT_TRUE(r.permissionLost);
    EXPECT_FALSE(r.wasCancelled);
    EXPECT_EQ(r.failedCount, 2);
    EXPECT_FALSE(r.layoutID || r.operationID);
}

TEST(RestoreResultTest, CancelledScanKeepsEarlierResultsInLayoutOrder) {
    Layout layout;
    layout.name = "Desk";
    for (const char* app : {"A", "B", "C"}) {
        WindowEntry e;
        e.id = Uuid::generate();
        e.appName = app;
        e.bundleID = std::string("com.example.") + app;
        layout.entries.push_back(e);
    }
    EntryResults results;
    const auto& skipped = layout.entries[1];
    results.emplace(skipped.id, EntryResult::make(subjectOf(skipped), O::skipped, "Skipped"));
    RestoreOptions options;
    options.layoutID = Uuid::generate();
    options.operationID = Uuid::generate();

    const auto r =
        finishCancelledScan(layout, {layout.entries[2], layout.entries[0]}, results, options, {9});
    ASSERT_EQ(r.entries.size(), 3u);
    EXPECT_EQ(r.entries[0].entryID, layout.entries[0].id);
    EXPECT_EQ(r.entries[0].outcome, O::cancelled);
    EXPECT_EQ(r.entries[0].detail, "Cancelled before the window scan finished");
    EXPECT_EQ(r.entries[1].outcome, O::skipped);
    EXPECT_EQ(r.entries[2].outcome, O::cancelled);
    EXPECT_EQ(r.summary, "Cancelled · 2 cancelled · 1 skipped");
    EXPECT_TRUE(r.wasCancelled);
    EXPECT_EQ(r.layoutID, options.layoutID);
    EXPECT_EQ(r.operationID, options.operationID);
}

TEST(RestoreResultTest, OutcomeAndKindNamesRoundTrip) {
    for (O o : {O::restored, O::adjusted, O::notOpen, O::needsSelection, O::excluded, O::failed,
                O::cancelled, O::deferred, O::skipped}) {
        EXPECT_EQ(entryOutcomeNamed(name(o)), o);
    }
    EXPECT_EQ(name(O::needsSelection), "needsSelection");
    EXPECT_EQ(entryOutcomeNamed("NotOpen"), std::nullopt);
    EXPECT_EQ(resultKindNamed(name(ResultKind::undo)), ResultKind::undo);
    EXPECT_EQ(resultKindNamed("redo"), std::nullopt);
}

}  // namespace
}  // namespace orvale
