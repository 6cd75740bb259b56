#include <gtest/gtest.h>

#include "restore/UndoSnapshot.h"

namespace orvale {
namespace {

UndoWindow record(std::int32_t pid, std::uint64_t handle, RectD previous) {
    UndoWindow w;
    w.reference.id = Uuid::generate();
    w.reference.pid = pid;
    w.reference.element = {pid, handle};
    w.previousFrame = previous;
    w.label = "App " + std::to_string(handle);
    return w;
}

TEST(UndoSnapshotTest, DedupeKeepsTheFirstRecordOfEachWindow) {
    const auto a = record(1, 1, {0, 0, 10, 10});
    const auto a2 = record(1, 1, {5, 5, 10, 10});
    const auto otherPid = record(2, 1, {0, 0, 10, 10});
    const auto b = record(1, 2, {0, 0, 10, 10});
    EXPECT_EQ(dedupe({a, otherPid, a2, b}), (std::vector{a, otherPid, b}));
}

TEST(UndoSnapshotTest, MergeKeepsTheFirstPreviousFrameAndRefreshesTheReference) {
    UndoSnapshot snapshot;
    snapshot.operationID = Uuid::generate();
    snapshot.layoutName = "Old";
    auto first = record(1, 1, {0, 0, 100, 100});
    first.displayKey = "1-2-3";
    first.pendingFailure = true;
    snapshot.entries = {first};

    auto again = record(1, 1, {500, 500, 100, 100});
    again.reference.frame = {500, 500, 100, 100};
    const auto fresh = record(1, 2, {1, 1, 50, 50});
    mergeInto(snapshot, {again, fresh}, "New", {77});

    ASSERT_EQ(snapshot.entries.size(), 2u);
    EXPECT_EQ(snapshot.entries[0].reference, again.reference);
    EXPECT_EQ(snapshot.entries[0].previousFrame, first.previousFrame);
    EXPECT_EQ(snapshot.entries[0].displayKey, "1-2-3");
    EXPECT_EQ(snapshot.entries[0].label, first.label);
    EXPECT_TRUE(snapshot.entries[0].pendingFailure);
    EXPECT_EQ(snapshot.entries[1], fresh);
    EXPECT_EQ(snapshot.layoutName, "New");
    EXPECT_EQ(snapshot.date, Timestamp{77});
}

}  // namespace
}  // namespace orvale
