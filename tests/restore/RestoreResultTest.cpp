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
    EXPECT_EQ(makeSummary({}, true, false), "Cancelled");
    EXPECT_EQ(makeSummary(withOutcomes({{O::restored, 2}, {O::failed, 1}}), true, true),
              "The window manager stopped running");
}

TEST(RestoreResultTest, EachOutcomeIsCountedWhereItBelongsButDeferredIsTakenAsGiven) {
    ResultDraft draft;
    draft.entries = withOutcomes({{O::restored, 1},
                                  {O::adjusted, 2},
                                  {O::notOpen, 3},
                                  {O::needsSelection, 4},
                                  {O::failed, 5},
                                  {O::excluded, 6},
                                  {O::cancelled, 7},
                                  {O::deferred, 8},
                                  {O::skipped, 9}});
    draft.deferredCount = 11;
    const auto r = makeResult(draft, {1234.5});
    EXPECT_EQ((std::vector{r.exactCount, r.adjustedCount, r.notOpenCount, r.needsSelectionCount,
                           r.failedCount, r.excludedCount, r.cancelledCount, r.skippedCount}),
              (std::vector{1, 2, 3, 4, 5, 6, 7, 9}));
    EXPECT_EQ(r.deferredCount, 11);
    EXPECT_NE(makeResult(draft, {1234.5}).id, r.id);
}

}  // namespace
}  // namespace orvale
